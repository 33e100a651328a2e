#include "driver/convert_data_module.h"

#include "conversion/alarm_object.h"
#include "driver/core_workers.h"

#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

using T = FieldType;

FieldDef ReadOnly(FieldDef field) {
  field.readOnly = true;
  return field;
}

// Closes a data set when the scope ends, also on error.
class CloseGuard {
 public:
  explicit CloseGuard(DataSet& dataSet) : dataSet_(dataSet) {}
  ~CloseGuard() { dataSet_.Close(); }
  CloseGuard(const CloseGuard&) = delete;
  CloseGuard& operator=(const CloseGuard&) = delete;

 private:
  DataSet& dataSet_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
    if (start == text.size()) break;  // a final line break ends the last line
  }
  return lines;
}

}  // namespace

TConvertDataModule::TConvertDataModule(const RepositoryLocation& location)
    : TConvertDataModule(Repository::Open(location)) {}

TConvertDataModule::TConvertDataModule(std::unique_ptr<Repository> repository)
    : repository_(std::move(repository)),
      dsProject(*repository_, "dsProject",
                {ReadOnly({"Project_id"}), {"Name", T::String, 50, "Проект", false, true},
                 {"Dialect_id", T::Integer, 0, "", false, true}, {"DNS", T::String, 50, "Алиас ODBC"},
                 FieldDef("DialectName", T::String, 50, "Диалект").Calculated()},
                "Project_id", {{"DialectName", "Dialect_id", &dsDialect, "Dialect_id", "Name"}}),
      dsDialect(*repository_, "dsDialect", {{"Dialect_id"}, {"Name", T::String, 50}}),
      dsTypeObject(*repository_, "dsTypeObject",
                   {{"TypeObject_id"}, ReadOnly({"Name", T::String, 30}), {"ParentTypeObject_id"}, {"Num"}}),
      dsTreeObject(*repository_, "dsTreeObject",
                   {ReadOnly({"Level"}), ReadOnly({"ID", T::String, 26}), ReadOnly({"ParentID", T::String, 26}),
                    ReadOnly({"Object_id"}), ReadOnly({"Object", T::String, 128, "Имя"}),
                    ReadOnly({"TypeObject", T::String, 30}), ReadOnly({"ParentObject_id"}),
                    ReadOnly({"ParentObject", T::String, 128})},
                   /*batchMode=*/true),
      dsResevedWord(*repository_, "dsResevedWord",
                    {{"Dialect_id"}, {"StartWord", T::String, 100}, {"TypeReservedWord", T::String, 15},
                     {"EndWord", T::String, 100}, {"IsWord"}, {"IsMain"}}),
      dsAlarm(*repository_, "dsAlarm", {{"Alarm_id"}, {"VarName", T::String, 30}}),
      dsAlarmObject(*repository_, "dsAlarmObject",
                    {ReadOnly({"ID"}), {"TypeObjectName", T::String, 30, "Тип"}, ReadOnly({"Object_id"}),
                     {"ObjectName", T::String, 128, "Обьект"}, {"AlarmName", T::String, 250, "Предупреждение"},
                     {"Word", T::String, 128, "Ключевое слово"}, {"NumLine", T::Integer, 0, "Лин."},
                     {"NumPos", T::Integer, 0, "Поз."}}),
      dsScript(*repository_, "dsScript",
               {{"Object_id"}, {"Object", T::String, 128}, {"ParentObject_id"}, {"TypeObject_id"}, {"Project_id"},
                {"SourceScript", T::Text}}),
      dsParentScript(*repository_, "dsParentScript", {{"Object_id"}}),
      dsObjectType(*repository_, "dsObjectType", {{"SourceScript", T::Text}}),
      dsObjectScript(*repository_, "dsObjectScript",
                     {{"Object_id"}, ReadOnly({"TypeObjectName", T::String, 30}), {"Object", T::String, 128},
                      {"ParentObject_id"}, {"ParentObject", T::String, 128}, {"SourceScript", T::Text},
                      {"DestScript", T::Text}, {"DropScript", T::Text},
                      ReadOnly({"ParentTypeObjectName", T::String, 30})},
                     /*batchMode=*/true),
      dsObjects(*repository_, "dsObjects"),
      cmdScriptAppend(*repository_, "cmdScriptAppend"),
      cmdScriptAppendCompiled(*repository_, "cmdScriptAppendCompiled"),
      cmdScriptUpdate(*repository_, "cmdScriptUpdate"),
      cmdDestScriptUpdate(*repository_, "cmdDestScriptUpdate"),
      cmdObjectDelete(*repository_, "cmdObjectDelete"),
      cmdObjectDeleteAll(*repository_, "cmdObjectDeleteAll"),
      cmdAddAlarm(*repository_, "cmdAddAlarm"),
      cmdDeleteAlarm(*repository_, "cmdDeleteAlarm"),
      cmdSQL(*repository_, "cmdSQL") {
  Core.Context.Sources = this;
  OpenDataSet(dsDialect);
  OpenDataSet(dsProject);
}

TConvertDataModule::~TConvertDataModule() = default;

void TConvertDataModule::Log(const std::string& msg) {
  if (OnLog) OnLog(msg);
}

void TConvertDataModule::SetProject(int projectId) {
  if (projectId == 0)
    CloseProject();
  else
    OpenProject(projectId);
}

void TConvertDataModule::RequireOpenProject() {
  if (ProjectId == 0 || !ProjectLoaded()) throw Error("Нет открытого проекта");
  const QueryResult found = repository().RunNamed("dsProjectExists", {{"Project_id", ProjectId}});
  if (found.rows.empty())
    throw Error("Проект \"" + ProjectName + "\" удалён из репозитория: откройте другой проект");
}

void TConvertDataModule::OpenProject(int projectId) {
  // A project whose opening failed half-way is opened again from the start.
  if (projectId == ProjectId && project_loaded_) return;
  if (!dsProject.IsOpen() || !dsProject.Locate("Project_id", QVariant(projectId))) throw Error("Проект не обнаружен");

  project_loaded_ = false;
  ProjectId = projectId;
  ProjectName = dsProject.Text("Name");
  DialectId = static_cast<int>(dsProject.Int("Dialect_id"));
  ProjectDNS = dsProject.Text("DNS");

  OpenAlarms(DialectId);
  OpenTypeObjects(DialectId);
  OpenObjectTree(ProjectId);
  OpenAlarmObjects(ProjectId);

  // The registrations of a project open before refer to terms LoadTerms frees.
  Analizers.Clear();
  Commands.Clear();
  LoadTerms(DialectId);
  RegisterCommands();
  RegisterAnalizers();

  Log("Загрузка модулей конвертора завершена успешно");
  Log("Обьектов БД:");
  LogObjectCounts();
  project_loaded_ = true;
}

void TConvertDataModule::LogObjectCounts() {
  dsObjects.SetStatement(repository_->statements().ObjectCountStatement(ProjectId));
  CloseGuard guard(dsObjects);
  OpenDataSet(dsObjects);
  for (dsObjects.First(); !dsObjects.Eof(); dsObjects.Next())
    Log("  " + dsObjects.Text("Name") + ": " + dsObjects.Text("CountObject"));
}

void TConvertDataModule::CloseProject() {
  if (ProjectId == 0) return;
  ProjectId = 0;
  project_loaded_ = false;
  CloseAlarms();
  CloseAlarmObjects();
  CloseTypeObjects();
  CloseObjectTree();
  Core.Close();
  DialectRows.clear();
  Log("Освобождение модулей конвертора завершено успешно");
}

void TConvertDataModule::LoadTerms(int dialectId) {
  dsResevedWord.SetParam("Dialect_id", dialectId);
  CloseGuard guard(dsResevedWord);
  OpenDataSet(dsResevedWord);
  std::vector<TReservedWordRow> rows;
  rows.reserve(dsResevedWord.RowCount());
  for (dsResevedWord.First(); !dsResevedWord.Eof(); dsResevedWord.Next()) {
    TReservedWordRow row;
    row.StartWord = dsResevedWord.Text("StartWord");
    row.TypeReservedWord = dsResevedWord.Text("TypeReservedWord");
    if (!dsResevedWord.IsNull("EndWord")) row.EndWord = dsResevedWord.Text("EndWord");
    row.IsWord = static_cast<int>(dsResevedWord.Int("IsWord"));
    row.IsMain = static_cast<int>(dsResevedWord.Int("IsMain"));
    rows.push_back(std::move(row));
  }
  DialectRows = rows;
  Core.LoadTerms(rows);
}

void TConvertDataModule::RegisterCommands() { Core.RegisterCommands(); }

void TConvertDataModule::RegisterAnalizers() { Core.RegisterAnalizers(); }

int TConvertDataModule::WorkerThreads() const {
  return (Workers > 0 ? Workers : TCoreWorkers::DefaultCount()) - 1;
}

void TConvertDataModule::RefreshObjectTree() {
  if (KeepObjectTree)
    OpenObjectTree(ProjectId);
  else
    CloseObjectTree();
}

void TConvertDataModule::OpenObjectTree(int projectId) {
  dsTreeObject.SetParam("Project_id", projectId);
  OpenDataSet(dsTreeObject);
}

void TConvertDataModule::CloseObjectTree() { CloseDataSet(dsTreeObject); }

void TConvertDataModule::OpenTypeObjects(int dialectId) {
  dsTypeObject.SetParam("Dialect_id", dialectId);
  OpenDataSet(dsTypeObject);
}

void TConvertDataModule::CloseTypeObjects() { CloseDataSet(dsTypeObject); }

bool TConvertDataModule::LocateTypeObject(const std::string& typeName) {
  if (!dsTypeObject.IsOpen() || dsTypeObject.IsEmpty()) return false;
  // A row found before is trusted while it still holds the very name it was
  // found by (the view may have been read again since).
  const auto known = typeObjectRows_.find(typeName);
  if (known != typeObjectRows_.end()) {
    const TypeObjectRow& remembered = known->second;
    if (remembered.row < dsTypeObject.RowCount() &&
        dsTypeObject.Value(remembered.row, "Name").toString() == remembered.name &&
        (dsTypeObject.CurrentRow() == remembered.row || dsTypeObject.MoveTo(remembered.row)))
      return true;
  }
  const bool found = SameText(dsTypeObject.Text("Name"), typeName) ||
                     dsTypeObject.Locate("Name", [&](const QVariant& name) {
                       return !name.isNull() && SameText(name.toString().toStdString(), typeName);
                     });
  if (found) typeObjectRows_[typeName] = {dsTypeObject.CurrentRow(), dsTypeObject.Value("Name").toString()};
  return found;
}

void TConvertDataModule::OpenAlarms(int dialectId) {
  dsAlarm.SetParam("Dialect_id", dialectId);
  OpenDataSet(dsAlarm);
}

void TConvertDataModule::CloseAlarms() { CloseDataSet(dsAlarm); }

bool TConvertDataModule::FindAlarmIds(const TAlarmList& alarms, std::vector<QVariant>& ids) {
  ids.clear();
  ids.reserve(static_cast<std::size_t>(alarms.Count()));
  for (int i = 0; i < alarms.Count(); ++i) {
    if (!LocateAlarm(alarms.Items(i).VarName)) return false;
    ids.push_back(dsAlarm.Value("Alarm_id"));
  }
  return true;
}

bool TConvertDataModule::LocateAlarm(const std::string& varName) {
  if (!dsAlarm.IsOpen()) return false;
  // The query upper-cases the stored names; the one searched is upper-cased here.
  return dsAlarm.Locate("VarName", QVariant(QString::fromStdString(UpperCase(varName))));
}

void TConvertDataModule::OpenAlarmObjects(int projectId) {
  dsAlarmObject.SetParam("Project_id", projectId);
  RefreshAlarmObjects();
}

void TConvertDataModule::RefreshAlarmObjects() {
  if (!KeepAlarmObjects) {
    CloseDataSet(dsAlarmObject);
    return;
  }
  OpenDataSet(dsAlarmObject);
  if (OnAlarmsChanged) OnAlarmsChanged(*this);
}

void TConvertDataModule::CloseAlarmObjects() { CloseDataSet(dsAlarmObject); }

void TConvertDataModule::OpenObjectScript(int objectId) {
  if (dsObjectScript.IsOpen() && !dsObjectScript.Param("Object_id").isNull() &&
      dsObjectScript.Param("Object_id").toLongLong() == objectId)
    return;
  dsObjectScript.SetParam("Object_id", objectId);
  OpenDataSet(dsObjectScript);
}

void TConvertDataModule::CloseObjectScript() { CloseDataSet(dsObjectScript); }

bool TConvertDataModule::FindObject(DataSet& query, const std::string& typeName, const std::string& objectName) {
  if (!LocateTypeObject(typeName)) throw Error("Тип не обнаружен");
  query.SetParam("Object", QString::fromStdString(objectName));
  query.SetParam("TypeObject_id", dsTypeObject.Value("TypeObject_id"));
  OpenDataSet(query);
  return !query.IsEmpty();
}

std::vector<std::string> TConvertDataModule::OpenObjectSource(const std::string& objectName) {
  dsObjectType.SetParam("Project_id", ProjectId);
  dsObjectType.SetParam("Object", QString::fromStdString(objectName));
  CloseGuard guard(dsObjectType);
  OpenDataSet(dsObjectType);
  if (dsObjectType.IsEmpty()) return {};
  return SplitLines(dsObjectType.Text("SourceScript"));
}

}  // namespace ambrix
