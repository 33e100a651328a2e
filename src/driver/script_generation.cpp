// Script generation: the pending objects of the chosen types are compiled in
// one run, then the target script is written: a header, the drop scripts in
// decreasing type order, the creation scripts in increasing type order.

#include <algorithm>
#include <ctime>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include <fcntl.h>
#include <unistd.h>

#include <QSqlQuery>
#include <QSqlRecord>

#include "conversion/alarm_object.h"
#include "conversion/convert_object.h"
#include "driver/convert_data_module.h"
#include "driver/core_workers.h"
#include "driver/operation_guard.h"
#include "driver/script_file.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

}  // namespace

namespace {

// One object of a compilation run on a worker: the work CompileObject does
// between reading the object and storing the result.
struct TCompileItem {
  QVariant ObjectId;
  std::string TypeName, ParentName, ObjectName, ParentTypeName;
  std::string Source;  ///< the stored source text, UTF-8
  // The result: Converted is false when the type has no analyzer.
  bool Converted = false;
  QString DestScript, DropScript;
  TAlarmList Alarms;
  std::vector<std::string> Logs;  ///< log lines of its conversion, in order
  std::exception_ptr Failure;     ///< what its conversion threw

  void Run(TConvertCore& core) {
    std::vector<std::string> destLines = SplitLines(Source);
    std::vector<std::string> dropLines;
    RunGuarded(
        [&] {
          core.Parser.Parse(destLines, core.Terms, core.Words);
          ConvertObject(core.Analizers, TypeName, ParentName, ObjectName, core.Words, destLines, dropLines, Alarms,
                        TCompileFrame::WholeRun, [this](const std::string& line) { Logs.push_back(line); },
                        ParentTypeName);
        },
        [&] { core.Words.Clear(); });
    Converted = !destLines.empty();
    if (!Converted) return;
    DestScript = StoredScript(destLines);
    if (!dropLines.empty()) DropScript = StoredScript(dropLines);
  }
};

}  // namespace

void TConvertDataModule::CompilePending(const TOptAddScript& options) {
  const std::string typeList = TypeList(options);
  if (typeList.empty()) return;
  RequireOpenProject();
  const StatementSet& statements = repository().statements();

  Log("Удаление предупреждений компилятора");
  cmdSQL.SetStatement(statements.AlarmPurgeStatement(ProjectId, typeList));
  cmdSQL.Execute();

  // The keys of the objects to compile, all read before any is compiled.
  dsObjects.SetStatement(statements.ObjectsToCompileStatement(ProjectId, typeList));
  std::vector<QVariant> ids;
  int idColumn = -1;
  dsObjects.ForEachRow([&](const QueryRow& row) {
    if (idColumn < 0) idColumn = row.RequireColumn("Object_id", "dsObjects");
    ids.push_back(row.Value(idColumn));
  });
  RunIndexNames = IndexTargetNames();
  BatchCompile = true;
  Analizers.BeginCompileAll();
  RunGuarded(
      [&] {
        const int count = static_cast<int>(ids.size());
        if (count > 0) Log("Подготовка обьектов к генерации скрипта ...");
        if (OnProgressStart) OnProgressStart(count);
        int step = 0;
        int& skipped = SkippedObjects;
        skipped = 0;
        // A failure of one object: the run stops there, or with KeepGoing
        // the object stays uncompiled (it appears in neither section).
        auto compiled = [&](const std::function<void()>& compile, const std::function<std::string()>& name,
                            const std::function<std::string()>& typeName) {
          RunOrSkip(options.KeepGoing, compile, [&](const Error& error) {
            ++skipped;
            if (OnSkipped) OnSkipped(TSkippedFailure{0, name(), typeName(), error.what()});
            Log("Обьект [" + name() + "] пропущен: " + error.what());
          });
        };

        const int workers = WorkerThreads();
        if (workers < 1 || count < 2) {
          for (const QVariant& id : ids) {
            if (OnProgress) OnProgress(++step);
            OpenObjectScript(static_cast<int>(id.toLongLong()));
            compiled([&] { CompileObject(); }, [&] { return dsObjectScript.Text("Object"); },
                     [&] { return dsObjectScript.Text("TypeObjectName"); });
            CloseObjectScript();
          }
        } else {
          // Workers parse and convert; this thread reads each object, and
          // stores the results in the order of the run.
          const std::vector<TReservedWordRow>& rows = DialectRows;
          TCoreWorkers pool(
              workers,
              [&rows](TConvertCore& core) {
                core.LoadTerms(rows);
                core.RegisterAnalizers();
                core.Analizers.BeginCompileAll();
              },
              *this);
          TItemsFeeder<TCompileItem> feeder(pool, [&](TItemsJob<TCompileItem>& job) {
            for (auto& item : job.Items) {
              compiled(
                  [&] {
                    for (const std::string& line : item->Logs) Log(line);
                    if (item->Failure) std::rethrow_exception(item->Failure);
                    if (item->Converted)
                      StoreCompilation(item->ObjectId, item->DestScript, item->DropScript, item->Alarms, false);
                  },
                  [&] { return item->ObjectName; }, [&] { return item->TypeName; });
            }
          });
          // The objects are read a chunk at a time by one statement that takes
          // their keys: not a query per object, and never every source at once.
          constexpr int kChunk = 128;
          const QString sources = statements.ObjectSourcesStatement(kChunk);
          for (std::size_t first = 0; first < ids.size(); first += kChunk) {
            const std::size_t end = std::min(ids.size(), first + static_cast<std::size_t>(kChunk));
            ParamValues keys;
            for (std::size_t i = first; i < end; ++i) keys[StatementSet::ObjectSourceKey(static_cast<int>(i - first))] = ids[i];
            std::unordered_map<qlonglong, std::unique_ptr<TCompileItem>> read;
            repository().ForEachRow(sources, keys, [&](const QueryRow& row) {
              auto item = std::make_unique<TCompileItem>();
              item->ObjectId = row.Value(0);
              item->TypeName = row.Bytes(1);
              item->ObjectName = row.Bytes(2);
              item->ParentName = row.Bytes(3);
              item->Source = row.Bytes(4);
              item->ParentTypeName = row.Bytes(5);
              if (IsIndexType(item->TypeName))
                if (auto it = RunIndexNames.find(item->ObjectId.toLongLong()); it != RunIndexNames.end())
                  item->ObjectName = it->second;
              read[item->ObjectId.toLongLong()] = std::move(item);
            });
            // Handed out in the order of the run; an object gone since the
            // list was read is passed over.
            for (std::size_t i = first; i < end; ++i) {
              if (OnProgress) OnProgress(++step);
              auto it = read.find(ids[i].toLongLong());
              if (it == read.end()) continue;
              const std::size_t weight = it->second->Source.size();
              feeder.Add(std::move(it->second), weight);
            }
          }
          feeder.Finish();
        }
        if (count > 0) {
          Log("");
          Log("Было скомпилировано обьектов: " + std::to_string(count));
          if (skipped > 0) Log("Пропущено обьектов с ошибками: " + std::to_string(skipped));
          Log("Подготовка обьектов полностью завершена");
        }
      },
      [&] {
        RunGuarded([&] { Analizers.EndCompileAll(); },
                   [&] {
                     BatchCompile = false;
                     RunIndexNames.clear();
                     CloseObjectScript();
                     CloseDataSet(dsObjects);
                   });
      });
}

void TConvertDataModule::GenerateScript(const TOptAddScript& options) {
  const std::string typeList = TypeList(options);
  if (typeList.empty()) return;
  RequireOpenProject();
  // A bad encoding name or a file that cannot be written fails before any work.
  std::vector<std::string> kept = options.KeptFiles;
  if (repository().backend() == Backend::SQLite && !repository().location().InMemory())
    kept.push_back(repository().location().path);
  TScriptFile file(options.FileName, OutputEncoding(options.OutputEncoding), kept);
  const StatementSet& statements = repository().statements();

  CompilePending(options);
  // A private in-memory repository has just been filled with one script:
  // with statistics the planner reads the objects in the order of their types
  // instead of seeking every row from the name index, and the alarms report
  // reads the few alarms first instead of looking for them under every
  // object of the project (a file repository keeps the plans it always had).
  if (repository().location().InMemory()) {
    repository().Execute(QStringLiteral("analyze MetaObject_Name"));
    repository().Execute(QStringLiteral("analyze AlarmObject"));
  }
  // Both sections are sorted with their scripts; SQLite's sorter may sort in
  // parallel on the threads the conversion's workers had (none with one).
  if (repository().backend() == Backend::SQLite)
    repository().Execute(QStringLiteral("pragma threads = %1").arg(std::max(WorkerThreads(), 0)));

  Log("");
  Log("Сборка скрипта ...");
  dsObjects.SetStatement(statements.DropScriptsStatement(ProjectId, typeList));
  RunGuarded(
      [&] {
        WriteScriptHeader(file, ProjectName, typeList);
        Log("Генерация удаления существующих обьектов базы данных ...");
        // The scripts are written as they are read: the file's text is
        // never held in memory whole.
        int dropColumn = -1;
        dsObjects.ForEachRow([&](const QueryRow& row) {
          if (dropColumn < 0) dropColumn = row.RequireColumn("DropScript", "dsObjects");
          WriteDropScript(file, row.Bytes(dropColumn));
        });
      },
      [&] { CloseDataSet(dsObjects); });

  WriteCreationHeading(file);
  Log("Генерация скриптов создания обьектов ...");
  dsObjects.SetStatement(statements.CreationScriptsStatement(ProjectId, typeList));
  RunGuarded(
      [&] {
        int objectColumn = -1, destColumn = -1, idColumn = -1;
        dsObjects.ForEachRow([&](const QueryRow& row) {
          if (objectColumn < 0) {
            objectColumn = row.RequireColumn("Object", "dsObjects");
            destColumn = row.RequireColumn("DestScript", "dsObjects");
            idColumn = row.IndexOf("Object_id");
          }
          const int line = WriteCreationScript(file, row.Bytes(objectColumn), row.Bytes(destColumn));
          if (OnScriptPlaced && idColumn >= 0) OnScriptPlaced(static_cast<int>(row.Integer(idColumn)), line);
        });
      },
      [&] { CloseDataSet(dsObjects); });

  Log("Запись скрипта в файл \"" + options.FileName + "\" ...");
  // The alarms are read while the file reaches the disk.
  file.StartSync();
  RefreshAlarmObjects();
  file.Commit();
  Log("");
  Log(GenerationResult(SkippedObjects));
}

}  // namespace ambrix
