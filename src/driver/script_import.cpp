// Reverse-engineering of a source script: the file is split into batches at
// GO lines, each batch is parsed and recognised, and the objects of the chosen
// types are stored in the open project.

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QSqlQuery>

#include "conversion/alarm_object.h"
#include "conversion/batch_conversion.h"
#include "conversion/convert_object.h"
#include "driver/convert_data_module.h"
#include "driver/batch_memory.h"
#include "driver/core_workers.h"
#include "driver/object_limits.h"
#include "driver/operation_guard.h"
#include "parser/parser_word_list.h"
#include "recognition/batch_statements.h"
#include "recognition/command.h"
#include "recognition/sql_object.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// The types of the objects others name as their parent, in the order they
// are looked for: a trigger or an index stands on a table or on a view.
constexpr const char* kParentTypeNames[] = {"table", "view"};

// Opens the script for reading; a file that cannot be opened is an error that
// names it.
std::ifstream OpenScriptFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw Error("Не удалось открыть файл скрипта \"" + fileName + "\"");
  in.exceptions(std::ios::badbit);
  return in;
}

// Runs `read` on the script; a failure of the file or of its text becomes an
// error that names the file.
template <class Read>
auto ReadingScript(const std::string& fileName, Read&& read) {
  try {
    return read();
  } catch (const std::ios_base::failure&) {
    throw Error("Не удалось прочитать файл скрипта \"" + fileName + "\"");
  } catch (const Error& error) {
    throw Error("Файл скрипта \"" + fileName + "\" не прочитан: " + error.what());
  }
}

// UTF-8 text as the bytes the repository is given.
QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

std::string ObjectLabel(const TBatchObject& object) {
  std::string label = LowerCase(object.TypeName) + " ";
  if (object.ParentName.empty()) return label + "[" + object.ObjectName + "]";
  return label + "[" + object.ParentName + "].[" + object.ObjectName + "]";
}

// False for a batch with nothing to handle: no line, or option settings
// alone (every line SET ...: SET QUOTED_IDENTIFIER ON and the like), which
// pass without a word. A batch with anything else is read.
bool HasStatements(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const std::string_view text = TrimLeft(line);
    if (text.empty()) continue;
    if (text.size() < 4 || !EqualsUpper(text.substr(0, 3), "SET") || static_cast<unsigned char>(text[3]) > ' ')
      return true;
  }
  return false;
}

// Runs the statement that stores `object`; its failure is logged with the
// object's name.
void StoreObject(TConvertDataModule& m, const TBatchObject& object, const std::function<void()>& store) {
  try {
    store();
  } catch (...) {
    m.Log("Ошибка обработки обьекта: " + object.ObjectName);
    throw;
  }
}

void CountStoredObject(TConvertDataModule& m, const std::string& typeName) {
  for (auto& [name, count] : m.TypeCounts) {
    if (SameText(name, typeName)) {
      ++count;
      return;
    }
  }
  m.TypeCounts.emplace_back(typeName, 1);
}

// The file line (from 1) where `object`'s text starts; 0 when the batch's
// lines were not read from a file.
int ObjectLine(const TConvertDataModule& m, const TBatchObject& object) {
  if (m.BatchLineNumbers.size() != m.BatchLines.size() || m.BatchLines.empty()) return 0;
  const auto line = std::min(static_cast<std::size_t>(object.Line), m.BatchLineNumbers.size() - 1);
  return m.BatchLineNumbers[line];
}

// A batch read on a worker, and what its handling gave.
struct TReadBatch {
  std::vector<std::string> Lines;
  std::vector<int> LineNumbers;
  int FirstLine = 0;
  const std::vector<std::string>* SelectedTypes = nullptr;
  bool Convert = false;                 ///< convert the objects as they are read
  std::vector<TBatchObject> Objects;
  std::vector<std::string> Logs;        ///< log lines of its handling, in order
  std::exception_ptr Failure;           ///< what its handling threw

  void Run(TConvertCore& core) {
    ReadBatch(core, TCompileFrame::WholeRun, Lines, *SelectedTypes, Convert, Objects,
              [this](const std::string& line) { Logs.push_back(line); });
  }
};

// The key of an object in TConvertDataModule::ObjectKeys: its type's key, its
// parent's key (0: none) and its name folded as the repository's look-ups
// fold it (StatementSet::FoldedName). The text is made in a buffer kept for the next key,
// valid until then.
std::string_view ObjectKey(const QVariant& typeId, const QVariant& parentId, std::string_view name) {
  thread_local std::string key;
  char number[48];
  char* numberEnd = std::to_chars(number, number + 24, typeId.toLongLong()).ptr;
  *numberEnd++ = ':';
  numberEnd = std::to_chars(numberEnd, number + sizeof number, parentId.isNull() ? 0 : parentId.toLongLong()).ptr;
  const auto numberSize = static_cast<std::size_t>(numberEnd - number);
  key.resize(numberSize + 1 + name.size());
  char* out = key.data();
  std::memcpy(out, number, numberSize);
  out += numberSize;
  *out++ = ':';
  std::memcpy(out, name.data(), name.size());
  // Folded as the repository's look-ups fold (a letter's small form has
  // its byte length).
  LowerCaseInPlace(key);
  return key;
}

// Reads the keys and names of the open project's objects on SQLite (on
// PostgreSQL the look-ups run on the server, folding names alike).
void LoadObjectKeys(TConvertDataModule& m, bool withNames) {
  m.ObjectKeys.Clear();
  m.ObjectKeysLoaded = false;
  if (m.repository().backend() != Backend::SQLite) return;
  const StatementSet& statements = m.repository().statements();
  // The names of the parents are kept (see StoredObjectNames).
  std::vector<long long> parentTypes;
  if (withNames)
    for (const char* typeName : kParentTypeNames)
      if (m.LocateTypeObject(typeName)) parentTypes.push_back(m.dsTypeObject.Value("TypeObject_id").toLongLong());
  m.repository().ForEachRow(statements.Text("dsObjectKeys"), {{"Project_id", m.ProjectId}}, [&](const QueryRow& row) {
    const long long id = row.Value(0).toLongLong();
    const QVariant type = row.Value(1);
    std::string name(row.Bytes(2));
    m.ObjectKeys.Insert(ObjectKey(type, row.Value(3), name), id);
    if (std::find(parentTypes.begin(), parentTypes.end(), type.toLongLong()) != parentTypes.end())
      m.StoredObjectNames.emplace(id, std::move(name));
  });
  m.ObjectKeysLoaded = true;
}

// Whether objects of the type may be the parent of others.
bool IsParentType(const std::string& typeName) {
  for (const char* parentType : kParentTypeNames)
    if (SameText(typeName, parentType)) return true;
  return false;
}

// FindObject into dsScript, passed over for an object the project's keys
// (when loaded) do not have. `parentId` is the key of its parent (null: none).
bool FindStoredObject(TConvertDataModule& m, const std::string& typeName, const std::string& objectName,
                      const QVariant& parentId) {
  if (m.ObjectKeysLoaded) {
    if (!m.LocateTypeObject(typeName)) throw Error("Тип не обнаружен");
    if (!m.ObjectKeys.Contains(ObjectKey(m.dsTypeObject.Value("TypeObject_id"), parentId, objectName))) return false;
  }
  m.dsScript.SetParam("ParentObject_id", parentId);
  return m.FindObject(m.dsScript, typeName, objectName);
}

// The key of the table or view named `parentName`, from the keys when they
// are loaded. Raises "Родительский обьект не обнаружен" when there is none.
// `parentType` receives the parent's type name.
QVariant FindParent(TConvertDataModule& m, const std::string& parentName, std::string& parentType) {
  for (const char* typeName : kParentTypeNames) {
    parentType = typeName;
    if (m.ObjectKeysLoaded) {
      if (!m.LocateTypeObject(typeName)) throw Error("Тип не обнаружен");
      if (const long long* found =
              m.ObjectKeys.Find(ObjectKey(m.dsTypeObject.Value("TypeObject_id"), QVariant(), parentName)))
        return *found;
    } else if (m.FindObject(m.dsParentScript, typeName, parentName)) {
      return m.dsParentScript.Value("Object_id");
    }
  }
  throw Error("Родительский обьект не обнаружен");
}

// Whether what converting `object` at reading gave is what a compilation
// run would store: the run converts with the stored names, so an object
// stored under another letter case (a replaced object, a parent found
// ignoring case) waits for it instead.
bool FitsStoredNames(const TConvertDataModule& m, const TBatchObject& object, const std::string& storedName,
                     const QVariant& parentId) {
  if (!object.Converted || storedName != object.ObjectName) return false;
  if (parentId.isNull()) return true;
  const auto parent = m.StoredObjectNames.find(parentId.toLongLong());
  return parent != m.StoredObjectNames.end() && parent->second == object.ParentName;
}

// Stores the objects a batch yielded (the batch is in BatchLines), with what
// converting them at reading gave where it is what a compilation run would
// store.
void StoreBatchObjects(TConvertDataModule& m, const std::vector<TBatchObject>& objects) {
  CheckObjectLimits(objects);
  for (const TBatchObject& object : objects) {
    if (!object.Selected) continue;

    if (m.OnObjectRead) m.OnObjectRead(object.TypeName, object.ObjectName, ObjectLine(m, object));
    // An object is one of its parent: two indexes of one name on two tables
    // are two objects.
    QVariant parentId;  // null: no parent
    std::string parentType;
    if (!object.ParentName.empty()) parentId = FindParent(m, object.ParentName, parentType);
    const bool exists = FindStoredObject(m, object.TypeName, object.ObjectName, parentId);
    const QVariant typeId = m.dsTypeObject.Value("TypeObject_id");
    const QString text = QString::fromStdString(object.Text);
    switch (m.Options.Mode) {
      case amOnlyNew:
        // An object the project has ends the handling of its batch.
        if (exists) return;
        break;
      case amUpdateChanged:
        if (exists && m.dsScript.Value("SourceScript").toString() == text) continue;
        break;
      default:
        break;
    }

    // What reading converted; what stands on a view converts otherwise than
    // what stands on a table, which reading did not know.
    bool converted = object.Converted;
    if (!SameText(parentType, "table") && !parentId.isNull()) converted = false;
    // An index whose name another index of the project has is renamed in
    // the target, which the compilation run decides.
    int* indexNames = nullptr;
    if (converted && TConvertDataModule::IsIndexType(object.TypeName)) {
      indexNames = &m.IndexNameCounts[UpperCase(object.ObjectName)];
      if (*indexNames >= (exists ? 2 : 1)) converted = false;
    }

    QVariant objectId;
    // Stored with what converting it at reading gave. The dialect must have
    // every alarm kind of the result (`alarmIds`): an object whose result
    // cannot be stored waits for the compilation run, which reports the
    // failure for that object as always.
    bool withResult = false;
    std::vector<QVariant> alarmIds;
    if (exists) {
      objectId = m.dsScript.Value("Object_id");
      const std::string storedName = m.dsScript.Text("Object");
      if (converted && IsParentType(object.TypeName)) m.StoredObjectNames[objectId.toLongLong()] = storedName;
      StoreObject(m, object, [&] {
        m.cmdScriptUpdate.SetParam("SourceScript", text);
        m.cmdScriptUpdate.SetParam("Object_id", objectId);
        m.cmdScriptUpdate.Execute();
        // The alarms of the old source's result go with it.
        m.cmdDeleteAlarm.SetParam("Object_id", objectId);
        m.cmdDeleteAlarm.Execute();
      });
      m.Log("Заменен обьект " + ObjectLabel(object));
      withResult = converted && FitsStoredNames(m, object, storedName, parentId) &&
                   m.FindAlarmIds(object.Alarms, alarmIds);
      if (withResult) {
        for (const std::string& line : object.Logs) m.Log(line);
        // The object loses the alarms of its old source.
        StoreObject(m, object, [&] {
          m.StoreCompiledObject(objectId, QString::fromStdString(object.Dest),
                                object.HasDrop ? QString::fromStdString(object.Drop) : QString(), object.Alarms,
                                alarmIds, true);
        });
      }
    } else {
      withResult = converted && FitsStoredNames(m, object, object.ObjectName, parentId) &&
                   m.FindAlarmIds(object.Alarms, alarmIds);
      StoreObject(m, object, [&] {
        if (withResult) {
          objectId = m.AppendCompiledObject(object.ObjectName, parentId, typeId, Bytes(object.Text), Bytes(object.Dest),
                                            object.HasDrop ? Bytes(object.Drop) : QByteArray(), object.Alarms, alarmIds);
          return;
        }
        m.cmdScriptAppend.SetParam("Object", QString::fromStdString(object.ObjectName));
        m.cmdScriptAppend.SetParam("ParentObject_id", parentId);
        m.cmdScriptAppend.SetParam("TypeObject_id", typeId);
        m.cmdScriptAppend.SetParam("Project_id", m.ProjectId);
        m.cmdScriptAppend.SetParam("SourceScript", text);
        m.cmdScriptAppend.Execute();
        objectId = m.cmdScriptAppend.InsertedId();
      });
      if (m.ObjectKeysLoaded) {
        // Without the new key the keys no longer tell every object.
        if (objectId.isNull()) m.ObjectKeysLoaded = false;
        else m.ObjectKeys.Insert(ObjectKey(typeId, parentId, object.ObjectName), objectId.toLongLong());
      }
      if (converted && !objectId.isNull() && IsParentType(object.TypeName))
        m.StoredObjectNames[objectId.toLongLong()] = object.ObjectName;
      if (indexNames != nullptr) ++*indexNames;
      m.Log("Добавлен обьект " + ObjectLabel(object));
      if (withResult)
        for (const std::string& line : object.Logs) m.Log(line);
    }
    m.CloseDataSet(m.dsScript);
    CountStoredObject(m, object.TypeName);
  }
}

}  // namespace

void TConvertDataModule::AddScript(const TOptAddScript& options) {
  RequireOpenProject();
  const TextEncoding encoding = EncodingFromName(options.InputEncoding);
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(std::filesystem::path(options.FileName), ignored))
    throw Error("Файл скрипта не найден");

  // One import into a project at a time: the keys read below stay true
  // while this one stores, and a second import waits for the first instead
  // of failing half-way on a name the first stored meanwhile. On SQLite the
  // import is one transaction: a run killed half-way leaves nothing of it.
  repository().LockProject(ProjectId, ImportLockWait,
                           [this] { Log("Репозиторий занят другой программой (импорт?): ожидание ..."); });
  // What a failing batch ended the run with stays stored, as each batch
  // before it would without the lock; the import's failure is the one told.
  RunGuarded([&] { ImportLocked(options, encoding); }, [&] { repository().UnlockProject(ProjectId); });
}

void TConvertDataModule::ImportLocked(const TOptAddScript& options, TextEncoding encoding) {
  Options = options;
  SelectedTypes = SelectedTypeNames(options);
  dsScript.SetParam("Project_id", ProjectId);
  dsParentScript.SetParam("Project_id", ProjectId);
  TypeCounts.clear();
  StoredObjectNames.clear();
  LoadObjectKeys(*this, options.CompileOnImport);
  IndexNameCounts.clear();
  if (options.CompileOnImport)
    for (const TIndexName& index : ProjectIndexNames()) ++IndexNameCounts[UpperCase(index.Name)];

  RunGuarded(
      [&] {
        Log("");
        Log("Обработка файла \"" + options.FileName + "\"");
        Log("");

        // With workers, they parse and recognise the batches while this
        // thread stores the objects of each, in the order of the file. They
        // are started first: each makes its core while the script's first
        // reading runs here.
        const int workers = WorkerThreads();
        std::unique_ptr<TCoreWorkers> pool;
        if (workers >= 1) {
          const std::vector<TReservedWordRow>& rows = DialectRows;
          pool = std::make_unique<TCoreWorkers>(
              workers,
              [&rows, compile = options.CompileOnImport](TConvertCore& core) {
                core.LoadTerms(rows);
                core.RegisterCommands();
                if (!compile) return;
                core.RegisterAnalizers();
                core.Analizers.BeginCompileAll();
              },
              *this);
        }

        // The script is read a piece at a time: a large one is never held
        // whole beside the objects it fills the repository with.
        std::ifstream file = OpenScriptFile(options.FileName);
        const auto script =
            ReadingScript(options.FileName, [&] { return std::make_unique<TScriptReader>(file, encoding); });
        if (OnProgressStart) OnProgressStart(static_cast<int>(script->LineCount()));
        BatchLines.clear();
        int batchLine = 0;  // the file line (from 1) where the batch starts
        int skipped = 0;
        // A failure of a batch: the run stops there, or with KeepGoing the
        // batch is passed over.
        auto guarded = [&](int firstLine, const std::function<void()>& handle) {
          RunOrSkip(options.KeepGoing, handle, [&](const Error& error) {
            ++skipped;
            if (OnSkipped) OnSkipped(BatchFailure(firstLine, BatchLineNumbers, error));
            Log("Пакет со строки " + std::to_string(firstLine) + " пропущен: " + error.what());
          });
        };

        std::unique_ptr<TItemsFeeder<TReadBatch>> feeder;
        if (pool) feeder = std::make_unique<TItemsFeeder<TReadBatch>>(*pool, [&](TItemsJob<TReadBatch>& job) {
          for (auto& batch : job.Items) {
            BatchLines = std::move(batch->Lines);
            BatchLineNumbers = std::move(batch->LineNumbers);
            guarded(batch->FirstLine, [&] {
              RunGuarded(
                  [&] {
                    for (const std::string& line : batch->Logs) Log(line);
                    if (batch->Failure) std::rethrow_exception(batch->Failure);
                    StoreBatchObjects(*this, batch->Objects);
                  },
                  [&] {
                    CloseDataSet(dsScript);
                    CloseDataSet(dsParentScript);
                  });
            });
            BatchLines.clear();
            BatchLineNumbers.clear();
          }
        });
        TBatchSize size;
        auto handleBatch = [&] {
          const bool large = TBatchMemory::IsLarge(size.Bytes());
          // A large batch is read alone: the batches in flight finish first.
          if (large && feeder) feeder->Finish();
          const std::string refusal = size.Check();
          if (!refusal.empty()) {
            guarded(batchLine, [&] { throw Error(refusal); });
          } else if (!pool) {
            guarded(batchLine, [&] { ProcessBatch(); });
          } else if (HasStatements(BatchLines)) {
            auto batch = std::make_unique<TReadBatch>();
            batch->Lines = std::move(BatchLines);
            batch->LineNumbers = std::move(BatchLineNumbers);
            batch->FirstLine = batchLine;
            batch->SelectedTypes = &SelectedTypes;
            batch->Convert = options.CompileOnImport;
            feeder->Add(std::move(batch), size.Bytes());
            if (large) feeder->Finish();
          }
          BatchLines.clear();
          BatchLineNumbers.clear();
          size.Reset();
        };
        int lineNumber = 0;
        auto nextLine = [&](std::string_view& line) {
          return ReadingScript(options.FileName, [&] { return script->Next(line); });
        };
        for (std::string_view line; nextLine(line);) {
          ++lineNumber;
          if (OnProgress) OnProgress(lineNumber);
          if (IsBatchEnd(line)) {
            handleBatch();
          } else if (!line.empty() || !BatchLines.empty()) {  // an empty line inside a batch may be inside a string
            size.Keep(line, lineNumber, BatchLines, BatchLineNumbers, batchLine);
          }
        }
        // A last batch without its GO line is handled as SQL Server's own tools
        // do: as if the file ended with one.
        if (size.Bytes() > 0) handleBatch();
        if (feeder) feeder->Finish();
        feeder.reset();
        pool.reset();

        Log("");
        Log("Реинженеринг успешно завершен");
        Log("Обработано обьектов:");
        for (const auto& [typeName, count] : TypeCounts) Log("  " + typeName + " - " + std::to_string(count));
        if (skipped > 0) Log("Пропущено пакетов с ошибками: " + std::to_string(skipped));
      },
      [&] {
        BatchLines.clear();
        BatchLineNumbers.clear();
        TypeCounts.clear();
        StoredObjectNames.clear();
        IndexNameCounts.clear();
        ObjectKeys.Clear();
        ObjectKeysLoaded = false;
        CloseDataSet(dsScript);
        CloseDataSet(dsParentScript);
        RefreshObjectTree();
        CloseObjectScript();
      });
}

void TConvertDataModule::ProcessBatch() {
  if (!HasStatements(BatchLines)) return;
  std::vector<TBatchObject> objects;
  RunGuarded(
      [&] {
        ReadBatch(Core, TCompileFrame::SingleObject, BatchLines, SelectedTypes, Options.CompileOnImport, objects,
                  [this](const std::string& line) { Log(line); });
        StoreBatchObjects(*this, objects);
      },
      [&] {
        objects.clear();
        CloseDataSet(dsScript);
        CloseDataSet(dsParentScript);
        Core.Words.Clear();
      });
}

}  // namespace ambrix
