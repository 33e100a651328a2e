// Compilation of objects: the stored source of one object is parsed again and
// converted by the analyzer of its type; the destination script, the drop
// script and the alarms are stored. Also the reset of compilation results and
// the deletion of an object.

#include <string>
#include <unordered_set>
#include <vector>

#include "conversion/alarm_object.h"
#include "conversion/convert_object.h"
#include "driver/convert_data_module.h"
#include "driver/operation_guard.h"
#include "text/encoding.h"
#include "text/string_helpers.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

QString StoredScript(const std::vector<std::string>& lines) { return QString::fromStdString(JoinLines(lines)); }

TSkippedFailure BatchFailure(int firstLine, const std::vector<int>& lineNumbers, const Error& error) {
  TSkippedFailure failure{firstLine, {}, {}, error.what()};
  if (!error.HasPlace()) return failure;
  const auto index = static_cast<std::size_t>(error.Line);
  failure.Line = index < lineNumbers.size() ? lineNumbers[index] : firstLine + error.Line;
  failure.Col = error.Col;
  return failure;
}

namespace {

// The key of the alarm row of each alarm's kind, in the list's order. Raises
// "Имя предупреждения [%s] не найдено" for a kind the dialect has no row for.
std::vector<QVariant> AlarmIds(TConvertDataModule& m, const TAlarmList& alarms) {
  std::vector<QVariant> ids;
  if (!m.FindAlarmIds(alarms, ids))
    throw Error("Имя предупреждения [" + alarms.Items(static_cast<int>(ids.size())).VarName + "] не найдено");
  return ids;
}

}  // namespace

bool TConvertDataModule::ConvertObject(const std::string& TypeName, const std::string& ParentName,
                                       const std::string& ObjectName, TParserWordList& Words,
                                       std::vector<std::string>& DestLines, std::vector<std::string>& DropLines,
                                       TAlarmList& Alarms, const std::string& ParentTypeName) {
  return ambrix::ConvertObject(Analizers, TypeName, ParentName, ObjectName, Words, DestLines, DropLines, Alarms,
                               BatchCompile ? TCompileFrame::WholeRun : TCompileFrame::SingleObject,
                               [this](const std::string& msg) { Log(msg); }, ParentTypeName);
}

bool TConvertDataModule::IsIndexType(const std::string& typeName) {
  return SameText(Trim(typeName), "INDEX") || SameText(Trim(typeName), "CONSTRAINT UNIQUE");
}

std::vector<TConvertDataModule::TIndexName> TConvertDataModule::ProjectIndexNames() {
  std::vector<TIndexName> indexes;
  if (ProjectId == 0) return indexes;
  QVariant indexType, uniqueType;
  if (LocateTypeObject("index")) indexType = dsTypeObject.Value("TypeObject_id");
  if (LocateTypeObject("constraint unique")) uniqueType = dsTypeObject.Value("TypeObject_id");
  repository().ForEachRow(repository().statements().Text("dsIndexNames"),
                          {{"Project_id", ProjectId}, {"IndexType", indexType}, {"UniqueType", uniqueType}},
                          [&](const QueryRow& row) {
                            indexes.push_back({row.Integer(0), std::string(row.Bytes(1)), std::string(row.Bytes(2))});
                          });
  return indexes;
}

std::unordered_map<long long, std::string> TConvertDataModule::IndexTargetNames() {
  std::unordered_map<long long, std::string> renamed;
  const std::vector<TIndexName> indexes = ProjectIndexNames();
  // Every name the project's indexes have is taken, so that a new name
  // never meets one of them.
  std::unordered_set<std::string> taken;
  for (const TIndexName& index : indexes) taken.insert(UpperCase(index.Name));
  std::unordered_set<std::string> used;
  for (const TIndexName& index : indexes) {
    if (used.insert(UpperCase(index.Name)).second) continue;
    // Names stay within the 128 characters the target allows.
    std::string base = index.Name + "_" + index.Parent;
    base.resize(Utf8ByteOffset(base, 120));
    std::string name = base;
    for (int n = 2; taken.count(UpperCase(name)) != 0; ++n) name = base + "_" + std::to_string(n);
    taken.insert(UpperCase(name));
    renamed.emplace(index.Id, std::move(name));
  }
  return renamed;
}

void TConvertDataModule::CompileObject() {
  if (!dsObjectScript.IsOpen() || dsObjectScript.IsEmpty()) return;
  std::vector<std::string> destLines = SplitLines(dsObjectScript.Text("SourceScript"));
  std::vector<std::string> dropLines;
  TAlarmList alarms;
  RunGuarded(
      [&] {
        Core.Parser.Parse(destLines, Core.Terms, Core.Words);
        const std::string typeName = dsObjectScript.Text("TypeObjectName");
        std::string name = dsObjectScript.Text("Object");
        if (IsIndexType(typeName)) {
          // A compilation run knows the target names already.
          const auto& names = BatchCompile ? RunIndexNames : IndexTargetNames();
          if (auto it = names.find(dsObjectScript.Value("Object_id").toLongLong()); it != names.end()) name = it->second;
        }
        ConvertObject(typeName, dsObjectScript.Text("ParentObject"), name, Core.Words, destLines, dropLines, alarms,
                      dsObjectScript.Text("ParentTypeObjectName"));
        if (destLines.empty()) return;  // no analyzer for the type: the object keeps what it had
        StoreCompilation(dsObjectScript.Value("Object_id"), StoredScript(destLines),
                         dropLines.empty() ? QString() : StoredScript(dropLines), alarms, true);
      },
      [&] { Core.Words.Clear(); });
}

void TConvertDataModule::StoreCompilation(const QVariant& objectId, const QString& destScript,
                                          const QString& dropScript, const TAlarmList& alarms, bool showInView) {
  // Every alarm kind is checked before anything is stored, so that an
  // unknown kind never leaves an object compiled with part of its alarms.
  StoreCompiledObject(objectId, destScript, dropScript, alarms, AlarmIds(*this, alarms), !BatchCompile);
  if (showInView) {
    // The object view shows the new result at once; its row is never
    // written back.
    dsObjectScript.SetValue("DestScript", destScript);
    dsObjectScript.SetValue("DropScript", dropScript.isNull() ? QString(QLatin1String("")) : dropScript);
  }
  if (!BatchCompile) RefreshAlarmObjects();
}

void TConvertDataModule::StoreCompiledObject(const QVariant& objectId, const QString& destScript,
                                             const QString& dropScript, const TAlarmList& alarms,
                                             const std::vector<QVariant>& alarmIds, bool replaceAlarms) {
  cmdDestScriptUpdate.SetParam("DestScript", destScript);
  cmdDestScriptUpdate.SetParam("DropScript", dropScript.isNull() ? QVariant() : QVariant(dropScript));
  cmdDestScriptUpdate.SetParam("Object_id", objectId);
  cmdDestScriptUpdate.Execute();
  StoreAlarms(objectId.toInt(), alarms, alarmIds, replaceAlarms);
}

QVariant TConvertDataModule::AppendCompiledObject(const std::string& objectName, const QVariant& parentId,
                                                  const QVariant& typeId, const QByteArray& sourceScript,
                                                  const QByteArray& destScript, const QByteArray& dropScript,
                                                  const TAlarmList& alarms, const std::vector<QVariant>& alarmIds) {
  // SQLite's statement takes the UTF-8 bytes and casts them to text, which
  // spares a conversion to UTF-16 and back; the other backends take text.
  const bool bytes = repository().backend() == Backend::SQLite;
  auto script = [bytes](const QByteArray& utf8) {
    if (utf8.isNull()) return QVariant();
    return bytes ? QVariant(utf8) : QVariant(QString::fromUtf8(utf8));
  };
  cmdScriptAppendCompiled.SetParam("Object", QString::fromStdString(objectName));
  cmdScriptAppendCompiled.SetParam("ParentObject_id", parentId);
  cmdScriptAppendCompiled.SetParam("TypeObject_id", typeId);
  cmdScriptAppendCompiled.SetParam("Project_id", ProjectId);
  cmdScriptAppendCompiled.SetParam("SourceScript", script(sourceScript));
  cmdScriptAppendCompiled.SetParam("DestScript", script(destScript));
  cmdScriptAppendCompiled.SetParam("DropScript", script(dropScript));
  cmdScriptAppendCompiled.Execute();
  QVariant objectId = cmdScriptAppendCompiled.InsertedId();
  if (objectId.isNull()) {
    // The backend does not tell the new key: the object is found by its name.
    dsScript.SetParam("Object", QString::fromStdString(objectName));
    dsScript.SetParam("TypeObject_id", typeId);
    dsScript.SetParam("ParentObject_id", parentId);
    RunGuarded(
        [&] {
          OpenDataSet(dsScript);
          if (dsScript.IsEmpty()) throw Error("Добавленный обьект не найден в репозитории: " + objectName);
          objectId = dsScript.Value("Object_id");
        },
        [&] { CloseDataSet(dsScript); });
  }
  StoreAlarms(objectId.toInt(), alarms, alarmIds, false);
  return objectId;
}

void TConvertDataModule::SaveAlarms(int ObjectId, const TAlarmList& Alarms) {
  // Script generation deleted the alarms of the objects it compiles beforehand.
  StoreAlarms(ObjectId, Alarms, AlarmIds(*this, Alarms), !BatchCompile);
}

void TConvertDataModule::StoreAlarms(int objectId, const TAlarmList& alarms, const std::vector<QVariant>& alarmIds,
                                     bool replace) {
  if (replace) {
    cmdDeleteAlarm.SetParam("Object_id", objectId);
    cmdDeleteAlarm.Execute();
  }
  for (int i = 0; i < alarms.Count(); ++i) {
    const TAlarmObject& alarm = alarms.Items(i);
    cmdAddAlarm.SetParam("Object_id", objectId);
    cmdAddAlarm.SetParam("Alarm_id", alarmIds[static_cast<std::size_t>(i)]);
    cmdAddAlarm.SetParam("NumLine", alarm.NumLine);
    cmdAddAlarm.SetParam("NumPos", alarm.NumPos);
    cmdAddAlarm.SetParam("Word", QString::fromStdString(alarm.Word));
    cmdAddAlarm.Execute();
  }
}

void TConvertDataModule::ClearCompilation(int TypeObjectId) {
  if (ProjectId == 0) throw Error("Нет открытого проекта");
  const QVariant typeId = TypeObjectId == 0 ? QVariant() : QVariant(TypeObjectId);
  // An object without its result keeps no alarm of it.
  repository().RunNamed("cmdDeleteAlarmAll", {{"Project_id", ProjectId}, {"TypeObject_id", typeId}});
  cmdObjectDeleteAll.SetParam("Project_id", ProjectId);
  cmdObjectDeleteAll.SetParam("TypeObject_id", typeId);
  cmdObjectDeleteAll.Execute();
  RefreshAlarmObjects();
  RefreshObjectTree();
  // The object on view may have lost its result: show what the repository holds.
  if (dsObjectScript.IsOpen()) OpenDataSet(dsObjectScript);
  Log("Результат компиляции всех обьектов сброшен");
}

void TConvertDataModule::DeleteObject(int ObjectId) {
  cmdObjectDelete.SetParam("Object_id", ObjectId);
  cmdObjectDelete.Execute();
  // The tree loses the object's node without being read again. The node is
  // found by its key, whichever node is current.
  if (!dsTreeObject.IsOpen()) return;
  for (int row = 0; row < dsTreeObject.RowCount(); ++row) {
    const long long level = dsTreeObject.Value(row, "Level").toLongLong();
    if (level == 0 || level == 2) continue;
    if (dsTreeObject.Value(row, "Object_id").toLongLong() != ObjectId) continue;
    dsTreeObject.RemoveRow(row);
    return;
  }
}

}  // namespace ambrix
