#pragma once

#include <array>
#include <string>
#include <string_view>

namespace ambrix {

class TParserWordList;

/// A qualified name as found in a parse result: up to four parts (server,
/// database, owner, object) filled from the end, so the object's own name is
/// always `Parts[3]` and missing leading parts are empty.
struct TObjectName {
  std::array<std::string, 4> Parts;
  int NameIndex = -1;  ///< index of the name's first word
  int LastIndex = -1;  ///< index of the name's last word
};

/// Parses the qualified name that starts at the first non-comment word from
/// `index` on. Parts are plain words or delimited names (type "OBJECT_NAME",
/// taken without their delimiters); parts and separators (words of type
/// "OBJECT_DIV") alternate, and the name ends at the first part that no
/// separator follows. Two separators in a row leave the part between them
/// empty (db..t). Raises "Не возможно проанализировать имя " when no word
/// follows, when a part is neither a plain word nor a delimited name, when the
/// words end after a separator, and for more than four parts.
TObjectName SplitObjectName(const TParserWordList& words, int index);

/// The object part of the qualified name from `index` on (server, database and
/// owner are dropped), and in `lastIndex` the index of the name's last word.
/// Raises "Не возможно проанализировать имя " as `SplitObjectName` does, and
/// when the object part is empty.
std::string ParseObjectName(const TParserWordList& words, int index, int& lastIndex);

/// The bare name of an object given as text: everything up to and including
/// the first full stop dropped, square brackets and double quotes turned into
/// blanks, blanks trimmed (dbo.[DF_Orders_Qty] gives DF_Orders_Qty; db.dbo.x
/// gives dbo.x).
std::string ClearObjectName(std::string_view name);

}  // namespace ambrix
