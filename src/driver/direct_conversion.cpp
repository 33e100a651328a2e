// The conversion of scripts in one go, without a repository. Each step
// follows the repository path (script_import.cpp, script_generation.cpp,
// compilation.cpp) closely, so that a test can hold the two side by side:
// what differs is only where the objects are kept.

#include "driver/direct_conversion.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unordered_set>

#include "conversion/batch_conversion.h"
#include "driver/batch_memory.h"
#include "driver/core_workers.h"
#include "driver/dialect_seed.h"
#include "driver/object_limits.h"
#include "driver/operation_guard.h"
#include "driver/script_file.h"
#include "parser/parser_word_list.h"
#include "recognition/batch_statements.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

#include <unistd.h>

namespace ambrix {

// One object of the project, kept small: a script of tens of megabytes has
// tens of thousands of them. Its converted scripts are in the spill file,
// its source and alarms (when it keeps or has any) in side tables.
struct TDirectConversion::TObject {
  std::string Name;  ///< as first stored
  std::size_t SourceHash = 0;
  std::uint32_t SourceSize = 0;
  std::uint32_t ParentIndex = 0;  ///< index + 1 of its parent; 0: none
  std::uint16_t TypeIndex = 0;    ///< in types_
  bool Compiled = false;
  bool HasDrop = false;
  bool HasSource = false;  ///< kept while it waits to be converted, and for defaults and rules
  std::uint64_t ScriptOffset = 0;  ///< where its scripts start in its type's stream of the spill file
  std::uint32_t DestSize = 0, DropSize = 0;  ///< the drop script follows the destination script
  long long AlarmSequence = 0;  ///< when its alarms were stored

  long long Id(const TDirectConversion& owner) const {
    return static_cast<long long>(this - owner.objects_.data()) + 1;
  }
};

// Appends texts to an unnamed temporary file and reads them back by place.
// The converted scripts, kept in an unnamed temporary file rather than in
// memory. Each type has a stream of its own, written in blocks: a section of
// the generated script reads one type's objects mostly in the order they were
// stored, so it reads each block once, with one call, instead of making a
// call per object.
class TDirectConversion::TSpill {
 public:
  TSpill() : file_(std::tmpfile()) {
    if (file_ == nullptr) throw Error("Не удалось создать временный файл");
  }
  ~TSpill() { std::fclose(file_); }
  TSpill(const TSpill&) = delete;
  TSpill& operator=(const TSpill&) = delete;

  /// Adds `text` to the end of stream `stream`; returns its offset there.
  std::uint64_t Append(std::size_t stream, std::string_view text) {
    if (stream >= streams_.size()) streams_.resize(stream + 1);
    Stream& s = streams_[stream];
    const std::uint64_t at = s.size;
    s.size += text.size();
    while (!text.empty()) {
      if (s.tail.capacity() < kBlock) s.tail.reserve(kBlock);
      const std::size_t part = std::min(text.size(), kBlock - s.tail.size());
      s.tail.append(text.substr(0, part));
      text.remove_prefix(part);
      if (s.tail.size() == kBlock) {
        s.blocks.push_back(fileSize_);
        Write(s.tail);
        fileSize_ += kBlock;
        s.tail.clear();
      }
    }
    return at;
  }

  /// The `size` bytes at `offset` of stream `stream`, into `out`.
  void Read(std::size_t stream, std::uint64_t offset, std::size_t size, std::string& out) {
    out.clear();
    const Stream& s = streams_.at(stream);
    while (size > 0) {
      const std::uint64_t block = offset / kBlock;
      const std::size_t within = static_cast<std::size_t>(offset % kBlock);
      const std::size_t part = std::min(size, kBlock - within);
      if (block == s.blocks.size()) {
        out.append(s.tail, within, part);
      } else {
        out.append(Cached(s.blocks.at(block)), within, part);
      }
      offset += part;
      size -= part;
    }
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{128} << 10;
  static constexpr std::size_t kCached = 4;  // blocks kept read, the oldest replaced

  struct Stream {
    std::vector<std::uint64_t> blocks;  // file offsets of its written blocks, in order
    std::string tail;                   // what follows them, not yet written
    std::uint64_t size = 0;
  };
  struct CachedBlock {
    std::uint64_t at = ~std::uint64_t{0};
    std::string bytes;
  };

  const std::string& Cached(std::uint64_t at) {
    for (const CachedBlock& block : cache_)
      if (block.at == at) return block.bytes;
    CachedBlock& block = cache_[next_];
    next_ = (next_ + 1) % kCached;
    block.at = ~std::uint64_t{0};
    block.bytes.resize(kBlock);
    std::size_t done = 0;
    while (done < kBlock) {
      const ssize_t n = ::pread(fileno(file_), block.bytes.data() + done, kBlock - done, static_cast<off_t>(at + done));
      if (n <= 0) throw Error("Не удалось прочитать временный файл");
      done += static_cast<std::size_t>(n);
    }
    block.at = at;
    return block.bytes;
  }

  void Write(std::string_view bytes) {
    const int fd = fileno(file_);
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd, bytes.data(), bytes.size());
      if (n <= 0) throw Error("Не удалось записать временный файл");
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  std::FILE* file_;
  std::vector<Stream> streams_;
  std::uint64_t fileSize_ = 0;
  std::array<CachedBlock, kCached> cache_;
  std::size_t next_ = 0;
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
    // The lines are not needed any more: they are freed here, not on the
    // thread that stores the results.
    std::vector<std::string>().swap(Lines);
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
      for (const auto& row : table.rows) {
        const std::string upper = UpperCase(text(row[name]));
        types_.push_back({std::stoi(text(row[id])), std::stoi(text(row[num])), LowerCase(text(row[name])), upper,
                          TConvertDataModule::IsIndexType(upper)});
      }
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

std::string_view TDirectConversion::Key(int typeId, long long parentId, std::string_view name) {
  // Made in a buffer kept for the next key, valid until then.
  thread_local std::string key;
  key.assign(std::to_string(typeId));
  key += ':';
  key += std::to_string(parentId);
  key += ':';
  key += name;
  // Folded as a repository's look-ups fold (StatementSet::FoldedName).
  LowerCaseInPlace(key);
  return key;
}

const std::string& TDirectConversion::Source(std::uint32_t index) const {
  static const std::string kNone;
  const auto it = sources_.find(index);
  return it == sources_.end() ? kNone : it->second;
}

void TDirectConversion::Open(const std::string& name) {
  projectName_ = name;
  spill_ = std::make_unique<TSpill>();
  Log("Загрузка модулей конвертора завершена успешно");
  Log("Обьектов БД:");
}

long long TDirectConversion::FindParent(const std::string& parentName, std::string& parentType) const {
  for (const char* typeName : kParentTypeNames) {
    parentType = typeName;
    if (const std::uint32_t* found = keys_.Find(Key(TypeOf(typeName).Id, 0, parentName)))
      return static_cast<long long>(*found) + 1;
  }
  throw Error("Родительский обьект не обнаружен");
}

void TDirectConversion::TellOutcome(std::uint32_t index, std::string_view source, std::string_view dest,
                                    std::string_view failure, bool converted) const {
  const TObject& object = objects_[index];
  const TObject* parent = object.ParentIndex != 0 ? &objects_[object.ParentIndex - 1] : nullptr;
  OnObjectOutcome(TObjectOutcome{static_cast<int>(object.Id(*this)), types_[object.TypeIndex].Name, object.Name,
                                 parent != nullptr ? std::string_view(parent->Name) : std::string_view(), source, dest,
                                 failure, converted});
}

void TDirectConversion::StoreResult(std::uint32_t index, TBatchObject& read, std::string_view source) {
  if (OnObjectOutcome) TellOutcome(index, source, read.Dest, {}, true);
  TObject& object = objects_[index];
  object.Compiled = true;
  object.ScriptOffset = spill_->Append(object.TypeIndex, read.Dest);
  object.DestSize = static_cast<std::uint32_t>(read.Dest.size());
  object.HasDrop = read.HasDrop;
  object.DropSize = 0;
  if (read.HasDrop) {
    spill_->Append(object.TypeIndex, read.Drop);
    object.DropSize = static_cast<std::uint32_t>(read.Drop.size());
  }
  if (read.Alarms.Count() > 0)
    alarmLists_[index] = std::move(read.Alarms);
  else
    alarmLists_.erase(index);
  object.AlarmSequence = ++alarmSequence_;
  if (!KeepsSource(types_[object.TypeIndex].UpperName)) {
    sources_.erase(index);
    object.HasSource = false;
  }
}

void TDirectConversion::StoreBatchObjects(std::vector<TBatchObject>& objects, const std::vector<int>& lineNumbers) {
  CheckObjectLimits(objects);
  for (TBatchObject& read : objects) {
    if (!read.Selected) continue;
    const int line = lineNumbers.empty() ? 0
                                         : lineNumbers[std::min(static_cast<std::size_t>(read.Line), lineNumbers.size() - 1)];
    if (OnObjectRead) OnObjectRead(read.TypeName, read.ObjectName, line);
    long long parentId = 0;
    std::string parentType;
    if (!read.ParentName.empty()) parentId = FindParent(read.ParentName, parentType);
    const TType& type = TypeOf(read.TypeName);
    const std::uint32_t* found = keys_.Find(Key(type.Id, parentId, read.ObjectName));
    const bool exists = found != nullptr;
    const std::size_t hash = HashOf(read.Text);
    if (exists) {
      const TObject& stored = objects_[*found];
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
    if (converted && type.IsIndex) {
      indexNames = &indexNameCounts_[UpperCase(read.ObjectName)];
      if (*indexNames >= (exists ? 2 : 1)) converted = false;
    }
    // The names the object and its parent are stored under.
    auto fits = [&](const std::string& storedName) {
      if (!converted || storedName != read.ObjectName) return false;
      return parentId == 0 || objects_[static_cast<std::size_t>(parentId - 1)].Name == read.ParentName;
    };
    // Every alarm kind of the result must be known.
    auto kindsKnown = [&] {
      for (int i = 0; i < read.Alarms.Count(); ++i)
        if (alarms_.count(UpperCase(read.Alarms.Items(i).VarName)) == 0) return false;
      return true;
    };

    std::uint32_t index = 0;
    bool withResult = false;
    if (exists) {
      index = *found;
      TObject& object = objects_[index];
      object.SourceHash = hash;
      object.SourceSize = static_cast<std::uint32_t>(read.Text.size());
      object.Compiled = false;
      object.HasDrop = false;
      alarmLists_.erase(index);
      Log("Заменен обьект " + ObjectLabel(read.TypeName, read.ObjectName, read.ParentName));
      withResult = fits(object.Name) && kindsKnown();
      if (withResult)
        for (const std::string& logLine : read.Logs) Log(logLine);
    } else {
      index = static_cast<std::uint32_t>(objects_.size());
      TObject added;
      added.TypeIndex = static_cast<std::uint16_t>(&type - types_.data());
      added.Name = read.ObjectName;
      added.ParentIndex = static_cast<std::uint32_t>(parentId);
      added.SourceHash = hash;
      added.SourceSize = static_cast<std::uint32_t>(read.Text.size());
      withResult = fits(read.ObjectName) && kindsKnown();
      keys_.Insert(Key(type.Id, parentId, read.ObjectName), index);
      if (KeepsSource(read.TypeName)) bound_.Insert(Key(0, 0, read.ObjectName), index);
      objects_.push_back(std::move(added));
      if (indexNames != nullptr) ++*indexNames;
      Log("Добавлен обьект " + ObjectLabel(read.TypeName, read.ObjectName, read.ParentName));
      if (withResult)
        for (const std::string& logLine : read.Logs) Log(logLine);
    }
    TObject& object = objects_[index];
    const bool keep = !withResult || KeepsSource(read.TypeName);
    if (keep) {
      sources_[index] = std::move(read.Text);
      object.HasSource = true;
    }
    if (withResult) StoreResult(index, read, keep ? sources_[index] : read.Text);
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
  if (!spill_) spill_ = std::make_unique<TSpill>();
  // About one object in every few hundred bytes of a script: room made at
  // once spares copying the records as they come.
  const std::uintmax_t scriptBytes = std::filesystem::file_size(options.FileName, ignored);
  if (!ignored) objects_.reserve(objects_.size() + static_cast<std::size_t>(scriptBytes / 256));
  options_ = options;
  selectedTypes_ = SelectedTypeNames(options);
  typeCounts_.clear();
  indexNameCounts_.clear();
  for (const TObject& object : objects_)
    if (types_[object.TypeIndex].IsIndex) ++indexNameCounts_[UpperCase(object.Name)];

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
  auto guarded = [&](int firstLine, const std::vector<int>& lineNumbers, const std::function<void()>& handle) {
    RunOrSkip(options.KeepGoing, handle, [&](const Error& error) {
      ++skipped;
      if (OnSkipped) OnSkipped(BatchFailure(firstLine, lineNumbers, error));
      Log("Пакет со строки " + std::to_string(firstLine) + " пропущен: " + error.what());
    });
  };

  std::unique_ptr<TItemsFeeder<TDirectBatch>> feeder;
  if (pool)
    feeder = std::make_unique<TItemsFeeder<TDirectBatch>>(*pool, [&](TItemsJob<TDirectBatch>& job) {
      for (auto& batch : job.Items)
        guarded(batch->FirstLine, batch->LineNumbers, [&] {
          for (const std::string& line : batch->Logs) Log(line);
          if (batch->Failure) std::rethrow_exception(batch->Failure);
          StoreBatchObjects(batch->Objects, batch->LineNumbers);
        });
    });
  TBatchSize size;
  auto handleBatch = [&] {
    const bool large = TBatchMemory::IsLarge(size.Bytes());
    // A large batch is read alone: the batches in flight finish first.
    if (large && feeder) feeder->Finish();
    const std::string refusal = size.Check();
    if (!refusal.empty()) {
      guarded(batchLine, {}, [&] { throw Error(refusal); });
    } else if (HasStatements(batchLines)) {
      if (!pool) {
        guarded(batchLine, batchLineNumbers, [&] {
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
        batch->Lines = std::move(batchLines);
        batch->LineNumbers = std::move(batchLineNumbers);
        batch->FirstLine = batchLine;
        batch->SelectedTypes = &selectedTypes_;
        feeder->Add(std::move(batch), size.Bytes());
        if (large) feeder->Finish();
      }
    }
    batchLines.clear();
    batchLineNumbers.clear();
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
    } else if (!line.empty() || !batchLines.empty()) {  // an empty line inside a batch may be inside a string
      size.Keep(line, lineNumber, batchLines, batchLineNumbers, batchLine);
    }
  }
  if (size.Bytes() > 0) handleBatch();
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
  // The names in use, and the indexes that come after another of their name.
  std::unordered_set<std::string> taken;
  std::vector<const TObject*> later;
  for (const TObject& object : objects_)
    if (types_[object.TypeIndex].IsIndex && !taken.insert(UpperCase(object.Name)).second) later.push_back(&object);
  for (const TObject* index : later) {
    std::string base = index->Name + "_" + objects_[index->ParentIndex - 1].Name;
    base.resize(Utf8ByteOffset(base, 120));
    std::string name = base;
    for (int n = 2; taken.count(UpperCase(name)) != 0; ++n) name = base + "_" + std::to_string(n);
    taken.insert(UpperCase(name));
    renamed.emplace(index->Id(*this), std::move(name));
  }
  return renamed;
}

std::vector<std::string> TDirectConversion::OpenObjectSource(const std::string& objectName) {
  // The first default or rule of that name, as the repository's look-up.
  const std::uint32_t* found = bound_.Find(Key(0, 0, objectName));
  if (found == nullptr) return {};
  return SplitLines(Source(*found));
}

void TDirectConversion::CompilePending(const TOptAddScript& options) {
  Log("Удаление предупреждений компилятора");
  std::vector<std::uint32_t> pending;
  for (std::uint32_t i = 0; i < objects_.size(); ++i)
    if (!objects_[i].Compiled) pending.push_back(i);
  // The order of a compilation run: objects without a parent first, then by
  // parent; by type; by key.
  std::stable_sort(pending.begin(), pending.end(), [this](std::uint32_t ia, std::uint32_t ib) {
    const TObject& a = objects_[ia];
    const TObject& b = objects_[ib];
    if (a.ParentIndex != b.ParentIndex) {
      if (a.ParentIndex == 0 || b.ParentIndex == 0) return a.ParentIndex == 0;
      return a.ParentIndex < b.ParentIndex;
    }
    if (types_[a.TypeIndex].Id != types_[b.TypeIndex].Id) return types_[a.TypeIndex].Id < types_[b.TypeIndex].Id;
    return ia < ib;
  });
  const std::unordered_map<long long, std::string> targetNames = IndexTargetNames();
  const int count = static_cast<int>(pending.size());
  if (count > 0) Log("Подготовка обьектов к генерации скрипта ...");
  if (OnProgressStart) OnProgressStart(count);
  int step = 0;
  int& skipped = skippedObjects_;
  skipped = 0;
  // The single compilation names a failed object as stored, the run on
  // workers by its target name; both are kept.
  const bool onWorkers = WorkerThreads() >= 1 && count >= 2;
  core_.Analizers.BeginCompileAll();
  RunGuarded(
      [&] {
        for (const std::uint32_t index : pending) {
          if (OnProgress) OnProgress(++step);
          const TObject& object = objects_[index];
          const std::string& typeName = types_[object.TypeIndex].UpperName;
          std::string name = object.Name;
          if (types_[object.TypeIndex].IsIndex)
            if (auto it = targetNames.find(object.Id(*this)); it != targetNames.end()) name = it->second;
          const TObject* parent = object.ParentIndex != 0 ? &objects_[object.ParentIndex - 1] : nullptr;
          const std::string parentName = parent != nullptr ? parent->Name : std::string();
          const std::string parentType = parent != nullptr ? types_[parent->TypeIndex].UpperName : std::string();
          RunOrSkip(
              options.KeepGoing,
              [&] {
                std::vector<std::string> destLines = SplitLines(Source(index));
                std::vector<std::string> dropLines;
                TAlarmList alarms;
                std::vector<std::string> logs;
                RunGuarded(
                    [&] {
                      core_.Parser.Parse(destLines, core_.Terms, core_.Words);
                      ConvertObject(core_.Analizers, typeName, parentName, name, core_.Words, destLines, dropLines,
                                    alarms, TCompileFrame::WholeRun,
                                    [&](const std::string& line) { logs.push_back(line); }, parentType);
                    },
                    [&] { core_.Words.Clear(); });
                for (const std::string& line : logs) Log(line);
                if (destLines.empty()) {
                  if (OnObjectOutcome) TellOutcome(index, Source(index), {}, {}, false);
                  return;
                }
                for (int i = 0; i < alarms.Count(); ++i)
                  if (alarms_.count(UpperCase(alarms.Items(i).VarName)) == 0)
                    throw Error("Имя предупреждения [" + alarms.Items(i).VarName + "] не найдено");
                TBatchObject result;
                result.Dest = JoinLines(destLines);
                result.HasDrop = !dropLines.empty();
                if (result.HasDrop) result.Drop = JoinLines(dropLines);
                result.Alarms = std::move(alarms);
                StoreResult(index, result, Source(index));
              },
              [&](const Error& error) {
                ++skipped;
                if (OnObjectOutcome) TellOutcome(index, Source(index), {}, error.what(), false);
                const std::string& shown = onWorkers ? name : object.Name;
                if (OnSkipped) OnSkipped(TSkippedFailure{0, shown, typeName, error.what()});
                Log("Обьект [" + shown + "] пропущен: " + error.what());
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
  if (!spill_) spill_ = std::make_unique<TSpill>();
  TScriptFile file(options.FileName, OutputEncoding(options.OutputEncoding), options.KeptFiles);
  CompilePending(options);

  // The sections' orders: by the type's place, then without a parent first,
  // by parent, by key; drops the other way round within a type.
  std::vector<std::uint32_t> written;
  for (std::uint32_t i = 0; i < objects_.size(); ++i)
    if (objects_[i].Compiled) written.push_back(i);
  auto num = [this](std::uint32_t i) { return types_[objects_[i].TypeIndex].Num; };
  auto byParent = [this](std::uint32_t a, std::uint32_t b) {
    const std::uint32_t pa = objects_[a].ParentIndex, pb = objects_[b].ParentIndex;
    if (pa == 0 || pb == 0) return pa == 0 && pb != 0;
    return pa < pb;
  };
  std::string script;  // one object's script, read back in the same room
  Log("");
  Log("Сборка скрипта ...");
  WriteScriptHeader(file, projectName_, typeList);
  Log("Генерация удаления существующих обьектов базы данных ...");
  std::vector<std::uint32_t> drops;
  for (std::uint32_t i : written)
    if (objects_[i].HasDrop) drops.push_back(i);
  std::sort(drops.begin(), drops.end(), [&](std::uint32_t a, std::uint32_t b) {
    if (num(a) != num(b)) return num(a) > num(b);
    if (objects_[a].ParentIndex != objects_[b].ParentIndex) return byParent(a, b);
    return a > b;
  });
  for (std::uint32_t i : drops) {
    const TObject& object = objects_[i];
    spill_->Read(object.TypeIndex, object.ScriptOffset + object.DestSize, object.DropSize, script);
    WriteDropScript(file, script);
  }

  WriteCreationHeading(file);
  Log("Генерация скриптов создания обьектов ...");
  std::sort(written.begin(), written.end(), [&](std::uint32_t a, std::uint32_t b) {
    if (num(a) != num(b)) return num(a) < num(b);
    if (objects_[a].ParentIndex != objects_[b].ParentIndex) return byParent(a, b);
    return a < b;
  });
  for (std::uint32_t i : written) {
    const TObject& object = objects_[i];
    spill_->Read(object.TypeIndex, object.ScriptOffset, object.DestSize, script);
    const int line = WriteCreationScript(file, object.Name, script);
    if (OnScriptPlaced) OnScriptPlaced(static_cast<int>(object.Id(*this)), line);
  }
  Log("Запись скрипта в файл \"" + options.FileName + "\" ...");
  file.StartSync();
  file.Commit();
  Log("");
  Log(GenerationResult(skippedObjects_));
}

std::vector<TDirectConversion::TAlarmRow> TDirectConversion::Alarms() const {
  std::vector<std::uint32_t> withAlarms;
  for (const auto& [index, list] : alarmLists_)
    if (objects_[index].Compiled) withAlarms.push_back(index);
  std::sort(withAlarms.begin(), withAlarms.end(), [this](std::uint32_t a, std::uint32_t b) {
    return objects_[a].AlarmSequence < objects_[b].AlarmSequence;
  });
  std::vector<TAlarmRow> rows;
  for (std::uint32_t index : withAlarms) {
    const TObject& object = objects_[index];
    const TAlarmList& list = alarmLists_.at(index);
    for (int i = 0; i < list.Count(); ++i) {
      const TAlarmObject& alarm = list.Items(i);
      const auto kind = alarms_.find(UpperCase(alarm.VarName));
      rows.push_back({static_cast<int>(object.Id(*this)), types_[object.TypeIndex].Name, object.Name,
                      kind != alarms_.end() ? kind->second.second : alarm.VarName, alarm.Word, alarm.NumLine,
                      alarm.NumPos});
    }
  }
  return rows;
}

}  // namespace ambrix
