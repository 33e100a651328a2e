// The conversion of scripts in one go, without a repository. Each step
// follows the repository path (script_import.cpp, script_generation.cpp,
// compilation.cpp) closely, so that a test can hold the two side by side:
// what differs is only where the objects are kept.

#include "driver/direct_conversion.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unordered_set>

#include "conversion/batch_conversion.h"
#include "driver/core_workers.h"
#include "driver/dialect_seed.h"
#include "driver/operation_guard.h"
#include "driver/script_file.h"
#include "parser/parser_word_list.h"
#include "recognition/batch_statements.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

// One object of the project.
struct TDirectConversion::TObject {
  long long Id = 0;
  const TType* Type = nullptr;
  std::string TypeName;  ///< upper case
  std::string Name;      ///< as first stored
  long long ParentId = 0;  ///< 0: none
  std::size_t SourceHash = 0;
  std::size_t SourceSize = 0;
  /// The source: kept while the object waits to be converted, and for
  /// defaults and rules, which bindings read.
  std::string Source;
  bool HasSource = false;
  bool Compiled = false;
  std::string Dest, Drop;
  bool HasDrop = false;
  TAlarmList Alarms;
  long long AlarmSequence = 0;  ///< when its alarms were stored
};

namespace {

constexpr const char* kParentTypeNames[] = {"table", "view"};

std::size_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

bool KeepsSource(const std::string& typeName) { return typeName == "DEFAULT" || typeName == "RULE"; }

std::ifstream OpenScriptFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw Error("Не удалось открыть файл скрипта \"" + fileName + "\"");
  in.exceptions(std::ios::badbit);
  return in;
}

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

bool HasStatements(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const std::string_view text = TrimLeft(line);
    if (text.empty()) continue;
    if (text.size() < 4 || !EqualsUpper(text.substr(0, 3), "SET") || static_cast<unsigned char>(text[3]) > ' ')
      return true;
  }
  return false;
}

std::string ObjectLabel(const std::string& typeName, const std::string& name, const std::string& parent) {
  std::string label = LowerCase(typeName) + " ";
  if (parent.empty()) return label + "[" + name + "]";
  return label + "[" + parent + "].[" + name + "]";
}

// A batch read on a worker, and what its handling gave.
struct TDirectBatch {
  std::vector<std::string> Lines;
  std::vector<int> LineNumbers;
  int FirstLine = 0;
  const std::vector<std::string>* SelectedTypes = nullptr;
  std::vector<TBatchObject> Objects;
  std::vector<std::string> Logs;
  std::exception_ptr Failure;

  void Run(TConvertCore& core) {
    ReadBatch(core, TCompileFrame::WholeRun, Lines, *SelectedTypes, true, Objects,
              [this](const std::string& line) { Logs.push_back(line); });
  }
};

}  // namespace

TDirectConversion::TDirectConversion(int workers) : workers_(workers) {
  for (const DialectTable& table : DialectTables()) {
    auto column = [&](const char* name) {
      const auto it = std::find(table.columns.begin(), table.columns.end(), name);
      if (it == table.columns.end()) throw Error(std::string("The dialect data lacks the column ") + name);
      return static_cast<std::size_t>(it - table.columns.begin());
    };
    auto text = [](const std::optional<std::string>& field) { return field.value_or(std::string()); };
    if (table.table == "ReservedWord") {
      const std::size_t dialect = column("Dialect_id"), start = column("StartWord"), type = column("TypeReservedWord"),
                        end = column("EndWord"), isWord = column("IsWord"), isMain = column("IsMain");
      for (const auto& row : table.rows) {
        if (text(row[dialect]) != "1") continue;
        rows_.push_back({text(row[start]), text(row[type]), row[end], std::stoi(text(row[isWord])),
                         std::stoi(text(row[isMain]))});
      }
    } else if (table.table == "TypeObject") {
      const std::size_t id = column("TypeObject_id"), name = column("Name"), num = column("Num");
      for (const auto& row : table.rows)
        types_.push_back({std::stoi(text(row[id])), std::stoi(text(row[num])), LowerCase(text(row[name]))});
    } else if (table.table == "Alarm") {
      const std::size_t id = column("Alarm_id"), var = column("VarName"), name = column("Name");
      for (const auto& row : table.rows) alarms_[UpperCase(text(row[var]))] = {std::stoi(text(row[id])), text(row[name])};
    }
  }
  core_.LoadTerms(rows_);
  core_.RegisterCommands();
  core_.RegisterAnalizers();
  core_.Context.Sources = this;
}

TDirectConversion::~TDirectConversion() = default;

void TDirectConversion::Log(const std::string& line) {
  if (OnLog) OnLog(line);
}

int TDirectConversion::WorkerThreads() const { return (workers_ > 0 ? workers_ : TCoreWorkers::DefaultCount()) - 1; }

const TDirectConversion::TType& TDirectConversion::TypeOf(const std::string& typeName) const {
  for (const TType& type : types_)
    if (SameText(type.Name, Trim(typeName))) return type;
  throw Error("Тип не обнаружен");
}

std::string TDirectConversion::Key(int typeId, long long parentId, std::string_view name) {
  std::string key = std::to_string(typeId) + ":" + std::to_string(parentId) + ":";
  key.reserve(key.size() + name.size());
  for (char c : name) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return key;
}

void TDirectConversion::Open(const std::string& name) {
  projectName_ = name;
  Log("Загрузка модулей конвертора завершена успешно");
  Log("Обьектов БД:");
}

long long TDirectConversion::FindParent(const std::string& parentName, std::string& parentType) const {
  for (const char* typeName : kParentTypeNames) {
    parentType = typeName;
    const auto it = keys_.find(Key(TypeOf(typeName).Id, 0, parentName));
    if (it != keys_.end()) return objects_[it->second]->Id;
  }
  throw Error("Родительский обьект не обнаружен");
}

void TDirectConversion::StoreResult(TObject& object, TBatchObject& read) {
  object.Compiled = true;
  object.Dest = std::move(read.Dest);
  object.HasDrop = read.HasDrop;
  object.Drop = std::move(read.Drop);
  object.Alarms = std::move(read.Alarms);
  object.AlarmSequence = ++alarmSequence_;
  if (!KeepsSource(object.TypeName)) {
    object.Source = std::string();
    object.HasSource = false;
  }
}

void TDirectConversion::StoreBatchObjects(std::vector<TBatchObject>& objects, const std::vector<int>& lineNumbers) {
  for (TBatchObject& read : objects) {
    if (!read.Selected) continue;
    const int line = lineNumbers.empty() ? 0
                                         : lineNumbers[std::min(static_cast<std::size_t>(read.Line), lineNumbers.size() - 1)];
    if (OnObjectRead) OnObjectRead(read.TypeName, read.ObjectName, line);
    long long parentId = 0;
    std::string parentType;
    if (!read.ParentName.empty()) parentId = FindParent(read.ParentName, parentType);
    const TType& type = TypeOf(read.TypeName);
    const auto found = keys_.find(Key(type.Id, parentId, read.ObjectName));
    const bool exists = found != keys_.end();
    const std::size_t hash = HashOf(read.Text);
    if (exists) {
      const TObject& stored = *objects_[found->second];
      switch (options_.Mode) {
        case amOnlyNew:
          return;
        case amUpdateChanged:
          if (stored.SourceHash == hash && stored.SourceSize == read.Text.size()) continue;
          break;
        default:
          break;
      }
    }

    bool converted = read.Converted;
    if (parentId != 0 && parentType != "table") converted = false;
    int* indexNames = nullptr;
    if (converted && TConvertDataModule::IsIndexType(read.TypeName)) {
      indexNames = &indexNameCounts_[UpperCase(read.ObjectName)];
      if (*indexNames >= (exists ? 2 : 1)) converted = false;
    }
    // The names the object and its parent are stored under.
    auto fits = [&](const std::string& storedName) {
      if (!converted || storedName != read.ObjectName) return false;
      return parentId == 0 || objects_[static_cast<std::size_t>(parentId - 1)]->Name == read.ParentName;
    };

    TObject* object = nullptr;
    bool withResult = false;
    if (exists) {
      object = objects_[found->second].get();
      object->SourceHash = hash;
      object->SourceSize = read.Text.size();
      object->Compiled = false;
      object->Dest.clear();
      object->Drop.clear();
      object->HasDrop = false;
      object->Alarms.Clear();
      Log("Заменен обьект " + ObjectLabel(read.TypeName, read.ObjectName, read.ParentName));
      withResult = fits(object->Name);
      if (withResult) {
        for (const std::string& logLine : read.Logs) Log(logLine);
      }
    } else {
      auto added = std::make_unique<TObject>();
      added->Id = static_cast<long long>(objects_.size()) + 1;
      added->Type = &type;
      added->TypeName = read.TypeName;
      added->Name = read.ObjectName;
      added->ParentId = parentId;
      added->SourceHash = hash;
      added->SourceSize = read.Text.size();
      withResult = fits(read.ObjectName);
      keys_.emplace(Key(type.Id, parentId, read.ObjectName), objects_.size());
      if (KeepsSource(read.TypeName)) bound_.emplace(Key(0, 0, read.ObjectName), objects_.size());
      objects_.push_back(std::move(added));
      object = objects_.back().get();
      if (indexNames != nullptr) ++*indexNames;
      Log("Добавлен обьект " + ObjectLabel(read.TypeName, read.ObjectName, read.ParentName));
      if (withResult)
        for (const std::string& logLine : read.Logs) Log(logLine);
    }
    if (withResult) {
      if (KeepsSource(object->TypeName)) {
        object->Source = read.Text;
        object->HasSource = true;
      }
      StoreResult(*object, read);
    } else {
      object->Source = std::move(read.Text);
      object->HasSource = true;
    }
    bool counted = false;
    for (auto& [name, count] : typeCounts_)
      if (SameText(name, read.TypeName)) {
        ++count;
        counted = true;
        break;
      }
    if (!counted) typeCounts_.emplace_back(read.TypeName, 1);
  }
}

void TDirectConversion::AddScript(const TOptAddScript& options) {
  const TextEncoding encoding = EncodingFromName(options.InputEncoding);
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(std::filesystem::path(options.FileName), ignored))
    throw Error("Файл скрипта не найден");
  options_ = options;
  selectedTypes_ = SelectedTypeNames(options);
  typeCounts_.clear();
  indexNameCounts_.clear();
  for (const auto& object : objects_)
    if (TConvertDataModule::IsIndexType(object->TypeName)) ++indexNameCounts_[UpperCase(object->Name)];

  Log("");
  Log("Обработка файла \"" + options.FileName + "\"");
  Log("");

  const int workers = WorkerThreads();
  std::unique_ptr<TCoreWorkers> pool;
  if (workers >= 1) {
    const std::vector<TReservedWordRow>& rows = rows_;
    pool = std::make_unique<TCoreWorkers>(
        workers,
        [&rows](TConvertCore& core) {
          core.LoadTerms(rows);
          core.RegisterCommands();
          core.RegisterAnalizers();
          core.Analizers.BeginCompileAll();
        },
        *this);
  }

  std::ifstream file = OpenScriptFile(options.FileName);
  const auto script = ReadingScript(options.FileName, [&] { return std::make_unique<TScriptReader>(file, encoding); });
  if (OnProgressStart) OnProgressStart(static_cast<int>(script->LineCount()));
  std::vector<std::string> batchLines;
  std::vector<int> batchLineNumbers;
  int batchLine = 0;
  int skipped = 0;
  auto guarded = [&](int firstLine, const std::function<void()>& handle) {
    RunOrSkip(options.KeepGoing, handle, [&](const Error& error) {
      ++skipped;
      Log("Пакет со строки " + std::to_string(firstLine) + " пропущен: " + error.what());
      if (OnSkipped) OnSkipped(TSkippedFailure{firstLine, {}, {}, error.what()});
    });
  };

  std::unique_ptr<TItemsFeeder<TDirectBatch>> feeder;
  if (pool)
    feeder = std::make_unique<TItemsFeeder<TDirectBatch>>(*pool, [&](TItemsJob<TDirectBatch>& job) {
      for (auto& batch : job.Items)
        guarded(batch->FirstLine, [&] {
          for (const std::string& line : batch->Logs) Log(line);
          if (batch->Failure) std::rethrow_exception(batch->Failure);
          StoreBatchObjects(batch->Objects, batch->LineNumbers);
        });
    });
  auto handleBatch = [&] {
    if (HasStatements(batchLines)) {
      if (!pool) {
        guarded(batchLine, [&] {
          std::vector<TBatchObject> objects;
          RunGuarded(
              [&] {
                ReadBatch(core_, TCompileFrame::SingleObject, batchLines, selectedTypes_, true, objects,
                          [this](const std::string& line) { Log(line); });
                StoreBatchObjects(objects, batchLineNumbers);
              },
              [&] { core_.Words.Clear(); });
        });
      } else {
        auto batch = std::make_unique<TDirectBatch>();
        std::size_t bytes = 0;
        for (const std::string& line : batchLines) bytes += line.size();
        batch->Lines = std::move(batchLines);
        batch->LineNumbers = std::move(batchLineNumbers);
        batch->FirstLine = batchLine;
        batch->SelectedTypes = &selectedTypes_;
        feeder->Add(std::move(batch), bytes);
      }
    }
    batchLines.clear();
    batchLineNumbers.clear();
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
    } else if (!line.empty()) {
      if (batchLines.empty()) batchLine = lineNumber;
      batchLines.emplace_back(line);
      batchLineNumbers.push_back(lineNumber);
    }
  }
  if (!batchLines.empty()) handleBatch();
  if (feeder) feeder->Finish();
  feeder.reset();
  pool.reset();

  Log("");
  Log("Реинженеринг успешно завершен");
  Log("Обработано обьектов:");
  for (const auto& [typeName, count] : typeCounts_) Log("  " + typeName + " - " + std::to_string(count));
  if (skipped > 0) Log("Пропущено пакетов с ошибками: " + std::to_string(skipped));
}

std::unordered_map<long long, std::string> TDirectConversion::IndexTargetNames() const {
  std::unordered_map<long long, std::string> renamed;
  std::vector<const TObject*> indexes;
  for (const auto& object : objects_)
    if (TConvertDataModule::IsIndexType(object->TypeName)) indexes.push_back(object.get());
  std::unordered_set<std::string> taken;
  for (const TObject* index : indexes) taken.insert(UpperCase(index->Name));
  std::unordered_set<std::string> used;
  for (const TObject* index : indexes) {
    if (used.insert(UpperCase(index->Name)).second) continue;
    std::string base = index->Name + "_" + objects_[static_cast<std::size_t>(index->ParentId - 1)]->Name;
    base.resize(Utf8ByteOffset(base, 120));
    std::string name = base;
    for (int n = 2; taken.count(UpperCase(name)) != 0; ++n) name = base + "_" + std::to_string(n);
    taken.insert(UpperCase(name));
    renamed.emplace(index->Id, std::move(name));
  }
  return renamed;
}

std::vector<std::string> TDirectConversion::OpenObjectSource(const std::string& objectName) {
  // The first default or rule of that name, as the repository's look-up.
  const auto it = bound_.find(Key(0, 0, objectName));
  if (it == bound_.end()) return {};
  return SplitLines(objects_[it->second]->Source);
}

void TDirectConversion::CompilePending(const TOptAddScript& options) {
  Log("Удаление предупреждений компилятора");
  std::vector<TObject*> pending;
  for (const auto& object : objects_)
    if (!object->Compiled) pending.push_back(object.get());
  // The order of a compilation run: objects without a parent first, then by
  // parent; by type; by key.
  std::stable_sort(pending.begin(), pending.end(), [](const TObject* a, const TObject* b) {
    if ((a->ParentId == 0) != (b->ParentId == 0)) return a->ParentId == 0;
    if (a->ParentId != b->ParentId) return a->ParentId < b->ParentId;
    if (a->Type->Id != b->Type->Id) return a->Type->Id < b->Type->Id;
    return a->Id < b->Id;
  });
  const std::unordered_map<long long, std::string> targetNames = IndexTargetNames();
  const int count = static_cast<int>(pending.size());
  if (count > 0) Log("Подготовка обьектов к генерации скрипта ...");
  if (OnProgressStart) OnProgressStart(count);
  int step = 0;
  int skipped = 0;
  // The single compilation names a failed object as stored, the run on
  // workers by its target name; both are kept.
  const bool onWorkers = WorkerThreads() >= 1 && count >= 2;
  core_.Analizers.BeginCompileAll();
  RunGuarded(
      [&] {
        for (TObject* object : pending) {
          if (OnProgress) OnProgress(++step);
          std::string name = object->Name;
          if (TConvertDataModule::IsIndexType(object->TypeName))
            if (auto it = targetNames.find(object->Id); it != targetNames.end()) name = it->second;
          const std::string parentName =
              object->ParentId != 0 ? objects_[static_cast<std::size_t>(object->ParentId - 1)]->Name : std::string();
          const std::string parentType =
              object->ParentId != 0 ? UpperCase(objects_[static_cast<std::size_t>(object->ParentId - 1)]->Type->Name)
                                    : std::string();
          RunOrSkip(
              options.KeepGoing,
              [&] {
                std::vector<std::string> destLines = SplitLines(object->Source);
                std::vector<std::string> dropLines;
                TAlarmList alarms;
                std::vector<std::string> logs;
                RunGuarded(
                    [&] {
                      core_.Parser.Parse(destLines, core_.Terms, core_.Words);
                      ConvertObject(core_.Analizers, object->TypeName, parentName, name, core_.Words, destLines,
                                    dropLines, alarms, TCompileFrame::WholeRun,
                                    [&](const std::string& line) { logs.push_back(line); }, parentType);
                    },
                    [&] { core_.Words.Clear(); });
                for (const std::string& line : logs) Log(line);
                if (destLines.empty()) return;
                TBatchObject result;
                result.Dest = JoinLines(destLines);
                result.HasDrop = !dropLines.empty();
                if (result.HasDrop) result.Drop = JoinLines(dropLines);
                result.Alarms = std::move(alarms);
                StoreResult(*object, result);
              },
              [&](const Error& error) {
                ++skipped;
                const std::string& shown = onWorkers ? name : object->Name;
                Log("Обьект [" + shown + "] пропущен: " + error.what());
                if (OnSkipped) OnSkipped(TSkippedFailure{0, shown, object->TypeName, error.what()});
              });
        }
        if (count > 0) {
          Log("");
          Log("Было скомпилировано обьектов: " + std::to_string(count));
          if (skipped > 0) Log("Пропущено обьектов с ошибками: " + std::to_string(skipped));
          Log("Подготовка обьектов полностью завершена");
        }
      },
      [&] { core_.Analizers.EndCompileAll(); });
}

void TDirectConversion::GenerateScript(const TOptAddScript& options) {
  const std::string typeList = TypeList(options);
  if (typeList.empty()) return;
  TScriptFile file(options.FileName, OutputEncoding(options.OutputEncoding));
  CompilePending(options);

  // The sections' orders: by the type's place, then without a parent first,
  // by parent, by key; drops the other way round within a type.
  std::vector<const TObject*> written;
  for (const auto& object : objects_)
    if (object->Compiled) written.push_back(object.get());
  auto byParent = [](const TObject* a, const TObject* b) {
    if ((a->ParentId == 0) != (b->ParentId == 0)) return a->ParentId == 0;
    return a->ParentId < b->ParentId;
  };
  Log("");
  Log("Сборка скрипта ...");
  WriteScriptHeader(file, projectName_, typeList);
  Log("Генерация удаления существующих обьектов базы данных ...");
  std::vector<const TObject*> drops;
  for (const TObject* object : written)
    if (object->HasDrop) drops.push_back(object);
  std::sort(drops.begin(), drops.end(), [&](const TObject* a, const TObject* b) {
    if (a->Type->Num != b->Type->Num) return a->Type->Num > b->Type->Num;
    if (a->ParentId != b->ParentId) return byParent(a, b);
    return a->Id > b->Id;
  });
  for (const TObject* object : drops) WriteDropScript(file, object->Drop);

  WriteCreationHeading(file);
  Log("Генерация скриптов создания обьектов ...");
  std::sort(written.begin(), written.end(), [&](const TObject* a, const TObject* b) {
    if (a->Type->Num != b->Type->Num) return a->Type->Num < b->Type->Num;
    if (a->ParentId != b->ParentId) return byParent(a, b);
    return a->Id < b->Id;
  });
  for (const TObject* object : written) {
    const int line = WriteCreationScript(file, object->Name, object->Dest);
    if (OnScriptPlaced) OnScriptPlaced(static_cast<int>(object->Id), line);
  }
  Log("Запись скрипта в файл \"" + options.FileName + "\" ...");
  file.StartSync();
  file.Commit();
  Log("");
  Log("Скрипт успешно сгенерирован");
}

std::vector<TDirectConversion::TAlarmRow> TDirectConversion::Alarms() const {
  std::vector<const TObject*> withAlarms;
  for (const auto& object : objects_)
    if (object->Compiled && object->Alarms.Count() > 0) withAlarms.push_back(object.get());
  std::sort(withAlarms.begin(), withAlarms.end(),
            [](const TObject* a, const TObject* b) { return a->AlarmSequence < b->AlarmSequence; });
  std::vector<TAlarmRow> rows;
  for (const TObject* object : withAlarms) {
    for (int i = 0; i < object->Alarms.Count(); ++i) {
      const TAlarmObject& alarm = object->Alarms.Items(i);
      const auto kind = alarms_.find(UpperCase(alarm.VarName));
      rows.push_back({static_cast<int>(object->Id), object->Type->Name, object->Name,
                      kind != alarms_.end() ? kind->second.second : alarm.VarName, alarm.Word, alarm.NumLine,
                      alarm.NumPos});
    }
  }
  return rows;
}

}  // namespace ambrix
