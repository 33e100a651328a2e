#pragma once

#include "conversion/analizer_object.h"

namespace ambrix {

// The analyzers of the data-definition objects. What SQL Anywhere 9 cannot
// express is reported by the rules that change it, at the word they change
// (the compilation collects those warnings).

/// "DEFAULT": the target has no default objects; the statement becomes a comment.
class TAnalizer_Default : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "DEFAULT"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
};

/// "DOMAIN": the user type statement keeps its form without national prefixes.
class TAnalizer_Domain : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "DOMAIN"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
};

/// "TABLE": owner, column definitions in the target's order with their
/// nullability, storage clauses, ALTER TABLE split one clause a statement,
/// national types, names the target reads otherwise.
class TAnalizer_Table : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "TABLE"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
};

/// "INDEX": NONCLUSTERED, the index options and the filegroup go.
class TAnalizer_Index : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "INDEX"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
};

/// "CONSTRAINT UNIQUE": the constraint item of an ALTER TABLE becomes a
/// unique index.
class TAnalizer_ConstraintUnique : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "CONSTRAINT UNIQUE"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
};

/// "CONSTRAINT FOREIGN KEY": becomes an ALTER TABLE ... ADD; a table that
/// references itself checks the key on commit.
class TAnalizer_ConstraintForeignKey : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "CONSTRAINT FOREIGN KEY"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
};

/// "CONSTRAINT PRIMARY KEY": becomes an ALTER TABLE ... ADD.
class TAnalizer_ConstraintPrimaryKey : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "CONSTRAINT PRIMARY KEY"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
};

/// "CONSTRAINT DEFAULT": a named default constraint or a bound default
/// becomes ALTER TABLE ... MODIFY column DEFAULT. A bound default's
/// expression is read from the stored default through the context's lookup.
class TAnalizer_ConstraintDefault : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "CONSTRAINT DEFAULT"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
};

}  // namespace ambrix
