#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/analizer_object.h"
#include "parser/parser.h"
#include "parser/parser_word_list.h"
#include "parser/term_list.h"
#include "recognition/command.h"
#include "recognition/convert_context.h"
#include "recognition/object_name.h"

namespace ambrix {

class TTsvTable;

/// One reserved-word row of a dialect, as the repository holds it.
struct TReservedWordRow {
  std::string StartWord;
  std::string TypeReservedWord;
  std::optional<std::string> EndWord;  ///< null: the term has no end word
  int IsWord = 0;                      ///< 1: recognised as a whole word only
  int IsMain = 0;                      ///< 1: starts a statement (tag "main")
};

/// The rows of dialect `dialectId` of a reserved-word table read from a data
/// file (data/reserved_word.tsv), in file order. Raises ambrix::Error for a
/// missing column or a flag or id that is not a number.
std::vector<TReservedWordRow> ReservedWordRows(const TTsvTable& table, int dialectId);

/// The conversion machinery of one open project, without the repository: the
/// term list of the project's dialect, the parser, the parse result being
/// handled, the command and analyzer registries and the shared context that commands,
/// analyzers and rewrite rules read (the four special terms among it). The
/// driver's converter object owns one and feeds it the dialect's rows.
///
/// The registries refer to terms of `Terms`, so every operation that empties
/// or reloads the terms empties them first.
class TConvertCore {
 public:
  TConvertCore();
  TConvertCore(const TConvertCore&) = delete;
  TConvertCore& operator=(const TConvertCore&) = delete;
  ~TConvertCore();

  TTermList Terms;        ///< the terms of the open dialect
  TParser Parser;
  TParserWordList Words;  ///< the parse result of the batch or object being handled
  /// What commands, analyzers and rules read: `Terms`, the four special terms,
  /// the comment and text type names, and the source lookup (set by the
  /// driver; null without a repository).
  TConvertContext Context;
  TCommandList Commands;  ///< the command registry
  TAnalizerObjectList Analizers;  ///< the analyzer registry

  /// Turns the reserved-word rows into `Terms` (emptied first, together with
  /// `Words` and the registries): COMMENT rows become line comments (no end
  /// word) or block comments; the case style follows the type (syscommand,
  /// sysglobalvar, sysoption upper case, sysfunc capitalized, every other type
  /// lower case); the full stop of type OBJECT_DIV is cancelled by a touching
  /// digit-only word; TEXT and OBJECT_NAME pairs are not nested. Then keeps
  /// the first term of each type OBJECT_DIV, LIST_DIV, BLOCK and TEXT in
  /// `Context` and prepares the list. Raises the term list's messages, and
  /// "Разделитель обьектов имени не найден", "Разделитель параметров не
  /// найден", "Разделитель блока не найден" or "Разделитель текста не найден"
  /// for a missing required type; the terms registered so far then stay.
  void LoadTerms(const std::vector<TReservedWordRow>& rows);

  /// Registers the eighteen commands in their fixed order; a missing key term
  /// raises that command's message and stops there.
  void RegisterCommands();

  /// Registers the twelve analyzers in their fixed order.
  void RegisterAnalizers();

  /// Closes the dialect: empties `Words`, the registries and `Terms`, and
  /// forgets the four special terms.
  void Close();

  /// The bare name of an object given as text (dbo.[DF_Orders_Qty] gives
  /// DF_Orders_Qty).
  static std::string ClearObjectName(std::string_view name);
  /// The parts of the qualified name at the first non-comment word from
  /// `index` on.
  TObjectName SplitObjectName(const TParserWordList& words, int index) const;
  /// The object part of the qualified name from `index` on; `lastIndex`
  /// receives the index of the name's last word.
  std::string ParseObjectName(const TParserWordList& words, int index, int& lastIndex) const;

 private:
  void ForgetTerms();
};

}  // namespace ambrix
