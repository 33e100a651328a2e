#pragma once

#include <string>
#include <vector>

namespace ambrix {

class TTerm;
class TTermList;

/// The one repository read a converter needs: the stored source text of the
/// open project's default or rule with a given name (what sp_bindefault and
/// sp_bindrule bind). Implemented by the driver over the repository, and by
/// an in-memory table in tests.
class IObjectSourceLookup {
 public:
  virtual ~IObjectSourceLookup() = default;
  /// The source script of the first stored default or rule named
  /// `objectName` (lines as stored), or an empty list when there is none.
  virtual std::vector<std::string> OpenObjectSource(const std::string& objectName) = 0;
};

/// What commands, analyzers and rewrite rules read of the open dialect: the
/// term list and its four special terms, and the source lookup. It is owned by
/// the converter core (one per open project) and handed to the registries, so
/// two projects can be converted side by side with no global state.
struct TConvertContext {
  TTermList* Terms = nullptr;
  TTerm* ObjectDivTerm = nullptr;  ///< type "OBJECT_DIV": separator of qualified name parts
  TTerm* ListDivTerm = nullptr;    ///< type "LIST_DIV": list item separator
  TTerm* BlockTerm = nullptr;      ///< type "BLOCK": the bracket pair
  TTerm* TextTerm = nullptr;       ///< type "TEXT": the string literal delimiter
  std::string CommentTermName = "#COMMENT#";
  std::string TextTermName = "TEXT";
  IObjectSourceLookup* Sources = nullptr;  ///< may be null: no repository
};

}  // namespace ambrix
