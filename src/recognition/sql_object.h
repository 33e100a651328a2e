#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ambrix {

/// One object found in a batch: what reverse-engineering stores in the
/// project. The record keeps its own copy of the script lines.
class TSQLObject {
 public:
  TSQLObject(std::string typeName, std::string objectName, std::string parentName,
             std::vector<std::string> lines);

  std::string ParentName;           ///< the parent table, or empty
  std::string ObjectName;           ///< last name part, or a generated constraint name
  std::vector<std::string> Script;  ///< the object's source lines
  std::string TypeName;             ///< type object name, e.g. "TABLE", "CONSTRAINT UNIQUE"
  int Line = -1;                    ///< the batch line (from 0) where its text starts; -1: not known
};

/// The records a command yields for one batch, in the order they were found.
class TSQLObjectList {
 public:
  void AddObject(std::string typeName, std::string objectName, std::string parentName,
                 std::vector<std::string> lines);
  int Count() const { return static_cast<int>(items_.size()); }
  TSQLObject& Items(int index) { return *items_.at(static_cast<size_t>(index)); }
  const TSQLObject& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TSQLObject>> items_;
};

}  // namespace ambrix
