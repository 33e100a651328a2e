#pragma once

// An in-memory converter behind the window's interface, for the window's
// tests: projects, a two-level object tree, compilation that upper-cases
// the source, alarms, and failures on demand.

#include <algorithm>
#include <map>
#include <optional>

#include <QFileInfo>

#include "text/error.h"
#include "ui/converter_port.h"

namespace ambrix::ui::test {

struct FakeObject {
  int Id = 0;
  int ProjectId = 0;
  QString Name;
  QString Type;  // upper case, as the type objects are named
  int ParentId = 0;
  QString Source;
  std::optional<QString> Dest;
};

class FakeConverter : public IConverterPort {
 public:
  FakeConverter() {
    dialects = {{1, QStringLiteral("MSSQL 2000")}};
    types = {{1, QStringLiteral("TABLE")}, {2, QStringLiteral("VIEW")},
             {3, QStringLiteral("CONSTRAINT PRIMARY KEY")}};
  }

  // ----- IProjectStore
  std::vector<ProjectRow> Projects() override { return projects; }
  std::vector<DialectRow> Dialects() override { return dialects; }
  int InsertProject(const ProjectRow& row) override {
    if (failPost) throw Error("нарушение уникальности");
    ProjectRow stored = row;
    stored.Project_id = nextProjectId++;
    projects.push_back(stored);
    return stored.Project_id;
  }
  void UpdateProject(const ProjectRow& row) override {
    for (auto& p : projects)
      if (p.Project_id == row.Project_id) p = row;
  }
  void DeleteProject(int id) override {
    std::erase_if(projects, [id](const ProjectRow& p) { return p.Project_id == id; });
  }

  // ----- IConverterPort
  void SetCallbacks(ConverterCallbacks c) override { cb = std::move(c); }
  int ProjectId() const override { return projectId; }
  QString ProjectName() const override { return projectName; }
  QString ProjectDNS() const override { return projectDns; }

  void SetProject(int id) override {
    calls << QStringLiteral("SetProject(%1)").arg(id);
    if (id == projectId) return;
    if (id == 0) {
      projectId = 0;
      treeOpen = false;
      Log(QStringLiteral("Освобождение модулей конвертора завершено успешно"));
      return;
    }
    auto it = std::find_if(projects.begin(), projects.end(),
                           [id](const ProjectRow& p) { return p.Project_id == id; });
    if (it == projects.end()) throw Error("Проект не обнаружен");
    projectId = id;
    projectName = it->Name;
    projectDns = it->DNS;
    treeOpen = true;
    if (cb.OnAlarmsChanged) cb.OnAlarmsChanged();
    if (failLoading) throw Error("Разделитель блока не найден");
    Log(QStringLiteral("Загрузка модулей конвертора завершена успешно"));
  }

  bool TreeOpen() const override { return treeOpen; }
  std::vector<TreeRow> TreeRows() override {
    std::vector<TreeRow> rows;
    if (!treeOpen) return rows;
    std::map<QString, bool> groups;
    for (const FakeObject& o : objects) {
      if (o.ProjectId != projectId) continue;
      const QString groupId = o.ParentId ? QStringLiteral("O%1:%2").arg(o.ParentId).arg(o.Type)
                                         : QStringLiteral("T:") + o.Type;
      if (!groups[groupId]) {
        groups[groupId] = true;
        rows.push_back({o.ParentId ? 2 : 0, groupId,
                        o.ParentId ? QStringLiteral("O%1").arg(o.ParentId) : QString(), 0, o.Type,
                        QString(), 0, QString()});
      }
      rows.push_back({o.ParentId ? 3 : 1, QStringLiteral("O%1").arg(o.Id), groupId, o.Id, o.Name,
                      o.Type, o.ParentId, QString()});
    }
    return rows;
  }
  std::vector<AlarmRow> AlarmRows() override {
    std::vector<AlarmRow> rows;
    for (const AlarmRow& a : alarms) {
      const FakeObject* o = Find(a.Object_id);
      if (o && o->ProjectId == projectId) rows.push_back(a);
    }
    return rows;
  }

  void OpenObjectScript(int id) override {
    calls << QStringLiteral("OpenObjectScript(%1)").arg(id);
    openObject = id;
  }
  void CloseObjectScript() override { openObject = 0; }
  bool ObjectScriptOpen() const override { return openObject != 0 && Find(openObject); }
  QString SourceScript() const override { return ObjectScriptOpen() ? Find(openObject)->Source : QString(); }
  std::optional<QString> DestScript() const override {
    return ObjectScriptOpen() ? Find(openObject)->Dest : std::nullopt;
  }

  void CompileObject() override {
    calls << QStringLiteral("CompileObject(%1)").arg(openObject);
    FakeObject* o = Find(openObject);
    if (!o) return;
    if (failCompile) throw Error("Странная функция");
    o->Dest = o->Source.toUpper() + QStringLiteral("\r\n");
    Log(QStringLiteral("Скомпилирован обьект [") + o->Name + u']');
    if (cb.OnAlarmsChanged) cb.OnAlarmsChanged();
  }
  std::optional<int> LocateTypeObject(const QString& name) override {
    for (const auto& [id, typeName] : types)
      if (typeName.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return id;
    return std::nullopt;
  }
  void ClearCompilation(int typeId) override {
    calls << QStringLiteral("ClearCompilation(%1)").arg(typeId);
    for (FakeObject& o : objects)
      if (o.ProjectId == projectId && (typeId == 0 || LocateTypeObject(o.Type) == typeId)) o.Dest.reset();
    if (cb.OnAlarmsChanged) cb.OnAlarmsChanged();
    Log(QStringLiteral("Результат компиляции всех обьектов сброшен"));
  }
  void DeleteObject(int id) override {
    calls << QStringLiteral("DeleteObject(%1)").arg(id);
    std::erase_if(objects, [id](const FakeObject& o) { return o.Id == id; });
  }
  void AddScript(const TOptAddScript& options) override {
    calls << QStringLiteral("AddScript(%1)").arg(QString::fromStdString(options.FileName));
    lastOptions = options;
    if (!QFileInfo::exists(QString::fromStdString(options.FileName))) throw Error("Файл скрипта не найден");
    if (cb.OnProgressStart) cb.OnProgressStart(int(pendingScript.size()));
    int step = 0;
    for (FakeObject o : pendingScript) {
      if (cb.OnProgress) cb.OnProgress(++step);
      o.ProjectId = projectId;
      o.Id = nextObjectId++;
      objects.push_back(o);
      Log(QStringLiteral("Добавлен обьект ") + o.Type.toLower() + QStringLiteral(" [") + o.Name + u']');
    }
    if (failAddScript) throw Error("Родительский обьект не обнаружен");
    openObject = 0;
  }
  void GenerateScript(const TOptAddScript& options) override {
    calls << QStringLiteral("GenerateScript(%1)").arg(QString::fromStdString(options.FileName));
    lastOptions = options;
    if (cb.OnProgressStart) cb.OnProgressStart(0);
    openObject = 0;
    Log(QStringLiteral("Скрипт успешно сгенерирован"));
  }
  QStringList ReservedWords() override {
    return {QStringLiteral("CREATE TABLE"), QStringLiteral("INT"), QStringLiteral("(")};
  }

  // ----- test helpers
  int AddObject(const QString& name, const QString& type, const QString& source, int parent = 0,
                int project = 1) {
    FakeObject o{nextObjectId++, project, name, type, parent, source, std::nullopt};
    objects.push_back(o);
    return o.Id;
  }
  FakeObject* Find(int id) {
    for (FakeObject& o : objects)
      if (o.Id == id) return &o;
    return nullptr;
  }
  const FakeObject* Find(int id) const { return const_cast<FakeConverter*>(this)->Find(id); }
  void Log(const QString& msg) {
    if (cb.OnLog) cb.OnLog(msg);
  }

  std::vector<ProjectRow> projects;
  std::vector<DialectRow> dialects;
  std::vector<std::pair<int, QString>> types;
  std::vector<FakeObject> objects;
  std::vector<FakeObject> pendingScript;
  std::vector<AlarmRow> alarms;
  ConverterCallbacks cb;
  TOptAddScript lastOptions;
  QStringList calls;
  int nextProjectId = 1;
  int nextObjectId = 100;
  int projectId = 0;
  QString projectName;
  QString projectDns;
  bool treeOpen = false;
  int openObject = 0;
  bool failPost = false;
  bool failLoading = false;
  bool failCompile = false;
  bool failAddScript = false;
};

}  // namespace ambrix::ui::test
