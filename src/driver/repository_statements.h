#pragma once

#include <map>
#include <string>
#include <vector>

#include <QString>

namespace ambrix {

/// The database servers a repository can live on. Each has its own set of
/// statement texts; every set has the same statement names, parameters and
/// result columns.
enum class Backend {
  SQLite,
  PostgreSQL,
  /// SQL Anywhere: the statement texts the repository was first written for,
  /// kept word for word as the reference the other sets are checked against.
  /// No backend runs them yet.
  SqlAnywhere,
};

const char* BackendName(Backend backend);

/// The statement texts of one backend, by statement name (`dsTreeObject`,
/// `cmdScriptAppend`, ...). `dsObjects` and `cmdSQL` have no fixed text: their
/// text is built at run time by the functions below.
class StatementSet {
 public:
  explicit StatementSet(Backend backend);

  Backend backend() const { return backend_; }
  /// The text of a fixed statement; throws ambrix::Error for an unknown name.
  const QString& Text(const std::string& name) const;
  bool Has(const std::string& name) const { return texts_.count(name) != 0; }
  /// The names of all fixed statements of the set.
  std::vector<std::string> Names() const;

  // Statements built at run time. `projectId` is written in decimal;
  // `typeList` is a list of quoted lower-case type names (TOptAddScript).

  /// 1: number of objects per type of a project (`Name`, `CountObject`).
  QString ObjectCountStatement(int projectId) const;
  /// 2: deletes the alarms of the project's not-compiled objects of the
  /// listed types (other projects keep theirs).
  QString AlarmPurgeStatement(int projectId, const std::string& typeList) const;
  /// 3: the project's not-compiled objects of the listed types (`Object_id`).
  QString ObjectsToCompileStatement(int projectId, const std::string& typeList) const;
  /// 3b: what compiling one of statement 3's objects needs (`Object_id`,
  /// `TypeObjectName` in upper case, `Object`, `ParentObject`, `SourceScript`,
  /// `ParentTypeObjectName` in upper case),
  /// for the objects whose keys its `count` placeholders (ObjectSourceKey)
  /// give; a placeholder left null stands for none.
  /// SQLite hands the source over as the UTF-8 bytes it stores.
  QString ObjectSourcesStatement(int count) const;
  /// The name of 3b's placeholder for the key of object `index` (from 0).
  static std::string ObjectSourceKey(int index) { return "Object_id" + std::to_string(index); }
  /// 4: the drop scripts of the listed types, in decreasing type order.
  QString DropScriptsStatement(int projectId, const std::string& typeList) const;
  /// 5: the creation scripts (`Object`, `DestScript`), in increasing type order.
  QString CreationScriptsStatement(int projectId, const std::string& typeList) const;

  /// `operand` (a column or a placeholder) with its letters folded to their
  /// small forms: the one folding of object names for look-ups, uniqueness
  /// and parents on every backend, that of the text layer's LowerCase (the
  /// Windows-1251 letters: ASCII and Cyrillic). The server's own lower() is
  /// not enough: SQLite's folds ASCII only, PostgreSQL's follows its locale.
  QString FoldedName(const QString& operand) const;
  /// The unique index of object names (MetaObject_Name) on the folded name.
  QString ObjectNameIndex(bool unique) const;

 private:
  QString TypeListQuery(const QString& columns, const QString& condition, int projectId,
                        const std::string& typeList, const QString& order) const;

  Backend backend_;
  std::map<std::string, QString> texts_;
};

/// The statement set of a backend (one shared immutable instance each).
const StatementSet& Statements(Backend backend);

/// The names of the `:Name` placeholders of a statement text, each once, in
/// order of first use. Quoted strings, quoted identifiers, comments and
/// `::` casts are skipped.
std::vector<std::string> PlaceholderNames(const QString& text);

}  // namespace ambrix
