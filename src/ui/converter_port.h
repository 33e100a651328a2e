#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "driver/opt_add_script.h"

namespace ambrix::ui {

/// One row of the project list (the repository's `Project` table).
struct ProjectRow {
  int Project_id = 0;
  QString Name;
  int Dialect_id = 0;
  QString DNS;  ///< empty when the repository holds null
};

/// One source dialect.
struct DialectRow {
  int Dialect_id = 0;
  QString Name;
};

/// One node of the object tree of the open project. Levels 0 and 2 are
/// groups (their `Object` is a type object name); other levels are objects.
struct TreeRow {
  int Level = 0;
  QString ID;
  QString ParentID;
  int Object_id = 0;
  QString Object;
  QString TypeObject;
  int ParentObject_id = 0;
  QString ParentObject;
};

/// One alarm of the open project, as the alarm grid lists it.
struct AlarmRow {
  int ID = 0;
  QString TypeObjectName;
  int Object_id = 0;
  QString ObjectName;
  QString AlarmName;
  QString Word;
  int NumLine = 0;
  int NumPos = 0;
};

/// The callbacks the converter calls while it works.
struct ConverterCallbacks {
  std::function<void(const QString&)> OnLog;
  std::function<void(int)> OnProgressStart;
  std::function<void(int)> OnProgress;
  std::function<void()> OnAlarmsChanged;
};

/// The project list as the project dialog edits it.
class IProjectStore {
 public:
  virtual ~IProjectStore() = default;
  virtual std::vector<ProjectRow> Projects() = 0;
  virtual std::vector<DialectRow> Dialects() = 0;
  /// Stores a new project and returns its generated key.
  virtual int InsertProject(const ProjectRow& row) = 0;
  virtual void UpdateProject(const ProjectRow& row) = 0;
  virtual void DeleteProject(int projectId) = 0;
};

/// What the main window asks of the converter object. The window holds no
/// repository state of its own: it re-reads the tree, the open object and
/// the alarms through this interface after every operation. Failures are
/// exceptions derived from std::exception whose what() is the UTF-8 message.
class IConverterPort : public IProjectStore {
 public:
  virtual void SetCallbacks(ConverterCallbacks callbacks) = 0;

  virtual int ProjectId() const = 0;
  virtual QString ProjectName() const = 0;
  virtual QString ProjectDNS() const = 0;
  /// Opens the project with this key, or closes the open one with 0.
  virtual void SetProject(int projectId) = 0;

  /// The rows of the object tree query; empty when it is closed.
  virtual std::vector<TreeRow> TreeRows() = 0;
  /// Whether the tree query is open (a project is open and its tree read).
  virtual bool TreeOpen() const = 0;
  /// The rows of the alarm query of the open project.
  virtual std::vector<AlarmRow> AlarmRows() = 0;

  virtual void OpenObjectScript(int objectId) = 0;
  virtual void CloseObjectScript() = 0;
  virtual bool ObjectScriptOpen() const = 0;
  virtual QString SourceScript() const = 0;
  /// The destination script of the open object; none while not compiled.
  virtual std::optional<QString> DestScript() const = 0;

  virtual void CompileObject() = 0;
  /// The key of the type object named `typeName` (case ignored), if any.
  virtual std::optional<int> LocateTypeObject(const QString& typeName) = 0;
  /// Resets the compilation results of one type, or of all with 0.
  virtual void ClearCompilation(int typeObjectId) = 0;
  virtual void DeleteObject(int objectId) = 0;
  virtual void AddScript(const TOptAddScript& options) = 0;
  virtual void GenerateScript(const TOptAddScript& options) = 0;

  /// The whole-word reserved words of the open project's dialect, for the
  /// highlighting of the script views.
  virtual QStringList ReservedWords() = 0;
};

}  // namespace ambrix::ui
