#pragma once

#include "conversion/analizer_object.h"

namespace ambrix {

// Rules and CHECK constraints. SQL Anywhere 9 has CHECK constraints but no
// rule objects: a rule reaches the target as the CHECK of each column it is
// bound to.

/// "RULE": CREATE RULE r AS @v ...; the target has no rules, the statement
/// becomes a comment. Its bindings carry the condition.
class TAnalizer_Rule : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "RULE"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
};

/// "CONSTRAINT RULE": a CHECK constraint item of ALTER TABLE becomes
/// ALTER TABLE ... ADD CONSTRAINT n CHECK (...); exec sp_bindrule 'r',
/// 'T.col' becomes the same with the rule's condition, its variable replaced
/// by the column; a rule bound to a user type stays as a comment with a
/// warning. The drop script drops the constraint of a table.
class TAnalizer_ConstraintRule : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "CONSTRAINT RULE"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;

 private:
  void ConvertCheck(const std::string& ParentName, const std::string& ObjectName, TParserWordList& Words);
  void ConvertBinding(const std::string& ParentName, const std::string& ObjectName, TParserWordList& Words);
};

}  // namespace ambrix
