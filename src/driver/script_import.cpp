// Reverse-engineering of a source script: the file is split into batches at
// GO lines, each batch is parsed and recognised, and the objects of the chosen
// types are stored in the open project.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/convert_data_module.h"
#include "driver/core_workers.h"
#include "driver/operation_guard.h"
#include "parser/parser_word_list.h"
#include "recognition/sql_object.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// The whole file as bytes; a file that cannot be opened or read is an error
// that names it.
std::string ReadScriptFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw Error("Не удалось открыть файл скрипта \"" + fileName + "\"");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error("Не удалось прочитать файл скрипта \"" + fileName + "\"");
  return bytes;
}

// The script decoded to one UTF-8 text; its lines are read from it in turn,
// so that a large script is held once, not as a string per line.
std::string ReadScriptText(const std::string& fileName, TextEncoding encoding) {
  try {
    return DecodeScript(ReadScriptFile(fileName), encoding).Text;
  } catch (const Error& error) {
    throw Error("Файл скрипта \"" + fileName + "\" не прочитан: " + error.what());
  }
}

// A line that reads GO in any letter case, with blanks or control characters
// around it, ends a batch.
bool IsBatchEnd(std::string_view line) { return EqualsUpper(Trim(line), "GO"); }

// The text stored for an object: its lines, each followed by CR LF, trimmed.
std::string ObjectText(const std::vector<std::string>& script) { return std::string(Trim(JoinLines(script))); }

std::string ObjectLabel(const TSQLObject& object) {
  std::string label = LowerCase(object.TypeName) + " ";
  if (object.ParentName.empty()) return label + "[" + object.ObjectName + "]";
  return label + "[" + object.ParentName + "].[" + object.ObjectName + "]";
}

// False for a batch with nothing to handle: no line, or an option setting
// (SET QUOTED_IDENTIFIER ON and the like; the line is not trimmed first).
bool HasStatements(const std::vector<std::string>& lines) {
  std::size_t first = 0;
  while (first < lines.size() && lines[first].empty()) ++first;
  if (first == lines.size()) return false;
  return !EqualsUpper(std::string_view(lines[first]).substr(0, 3), "SET");
}

// Runs the statement that stores `object`; its failure is logged with the
// object's name.
void StoreObject(TConvertDataModule& m, const TSQLObject& object, const std::function<void()>& store) {
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

// The file line where `object`'s text starts: the first batch line holding
// the first line of its script (an ALTER TABLE item starts inside a line).
// 0 when the batch's lines were not read from a file.
int ObjectLine(const TConvertDataModule& m, const TSQLObject& object) {
  if (m.BatchLineNumbers.size() != m.BatchLines.size() || m.BatchLines.empty()) return 0;
  std::string_view first;
  for (const auto& line : object.Script) {
    first = Trim(line);
    if (!first.empty()) break;
  }
  for (std::size_t i = 0; i < m.BatchLines.size() && !first.empty(); ++i)
    if (m.BatchLines[i].find(first) != std::string::npos) return m.BatchLineNumbers[i];
  return m.BatchLineNumbers.front();
}

// Parses the batch `lines` with `core` and finds its command; the objects it
// yields go to `objects`. The log lines go to `log`. This is the part of a
// batch's handling that reads no repository (it may run on a worker).
void RecogniseBatch(TConvertCore& core, std::vector<std::string>& lines, TSQLObjectList& objects,
                    const std::function<void(const std::string&)>& log) {
  TParserWordList& words = core.Words;
  try {
    core.Parser.Parse(lines, core.Terms, words);
  } catch (...) {
    log("Ошибка обработки скрипта:");
    log(JoinLines(lines));
    throw;
  }
  if (words.Empty()) return;

  const int first = words.IndexOfNotType(0, {core.Context.CommentTermName});
  if (first < 0) return;
  const TParserWord& word = *words.Words(first);
  if (word.Term->Kind != tkDefined || word.TypeName() != "DML") {
    const auto line = static_cast<std::size_t>(word.StartPos.Line);
    log("Не понятная команда: \"" + (line < lines.size() ? lines[line] : std::string()) + "\"");
    return;
  }
  const int command = core.Commands.IndexOfKeyTerm(word.Term);
  if (command < 0) return;
  if (!core.Commands.Items(command).Execute(lines, words, objects)) objects.Clear();
}

// The stored source texts of the objects a batch yielded, in their order.
std::vector<QString> ObjectTexts(const TSQLObjectList& objects) {
  std::vector<QString> texts;
  texts.reserve(static_cast<std::size_t>(objects.Count()));
  for (int i = 0; i < objects.Count(); ++i) texts.push_back(QString::fromStdString(ObjectText(objects.Items(i).Script)));
  return texts;
}

// The parsing and recognition of one batch on a worker.
class BatchJob : public TCoreJob {
 public:
  std::vector<std::string> Lines;
  std::vector<int> LineNumbers;
  int FirstLine = 0;
  TSQLObjectList Objects;
  std::vector<QString> Texts;  ///< the stored texts of Objects

  void Run(TConvertCore& core) override {
    RunGuarded([&] { RecogniseBatch(core, Lines, Objects, [this](const std::string& line) { Logs.push_back(line); }); },
               [&] { core.Words.Clear(); });
    Texts = ObjectTexts(Objects);
  }
};

// Batches handed out ahead of the one being stored.
constexpr std::size_t kBatchesAhead = 64;

// Stores the objects a batch yielded (the batch is in BatchLines); `texts`
// are their stored texts (ObjectTexts).
void StoreBatchObjects(TConvertDataModule& m, const TSQLObjectList& objects, const std::vector<QString>& texts) {
  for (int i = 0; i < objects.Count(); ++i) {
    const TSQLObject& object = objects.Items(i);
    const std::string typeName = UpperCase(object.TypeName);
    bool selected = false;
    for (const auto& name : m.SelectedTypes) selected = selected || name == typeName;
    if (!selected) continue;

    if (m.OnObjectRead) m.OnObjectRead(object.TypeName, object.ObjectName, ObjectLine(m, object));
    const bool exists = m.FindObject(m.dsScript, object.TypeName, object.ObjectName);
    const QVariant typeId = m.dsTypeObject.Value("TypeObject_id");
    const QString& text = texts[static_cast<std::size_t>(i)];
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

    if (exists) {
      const QVariant objectId = m.dsScript.Value("Object_id");
      StoreObject(m, object, [&] {
        m.cmdScriptUpdate.SetParam("SourceScript", text);
        m.cmdScriptUpdate.SetParam("Object_id", objectId);
        m.cmdScriptUpdate.Execute();
      });
      m.Log("Заменен обьект " + ObjectLabel(object));
    } else {
      QVariant parentId;  // null: no parent
      if (!object.ParentName.empty()) {
        if (!m.FindObject(m.dsParentScript, "table", object.ParentName)) throw Error("Родительский обьект не обнаружен");
        parentId = m.dsParentScript.Value("Object_id");
      }
      StoreObject(m, object, [&] {
        m.cmdScriptAppend.SetParam("Object", QString::fromStdString(object.ObjectName));
        m.cmdScriptAppend.SetParam("ParentObject_id", parentId);
        m.cmdScriptAppend.SetParam("TypeObject_id", typeId);
        m.cmdScriptAppend.SetParam("Project_id", m.ProjectId);
        m.cmdScriptAppend.SetParam("SourceScript", text);
        m.cmdScriptAppend.Execute();
      });
      m.Log("Добавлен обьект " + ObjectLabel(object));
    }
    m.CloseDataSet(m.dsScript);
    CountStoredObject(m, object.TypeName);
  }
}

}  // namespace

void TConvertDataModule::AddScript(const TOptAddScript& options) {
  if (ProjectId == 0 || !ProjectLoaded()) throw Error("Нет открытого проекта");
  const TextEncoding encoding = EncodingFromName(options.InputEncoding);
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(std::filesystem::path(options.FileName), ignored))
    throw Error("Файл скрипта не найден");

  Options = options;
  SelectedTypes = SelectedTypeNames(options);
  dsScript.SetParam("Project_id", ProjectId);
  dsParentScript.SetParam("Project_id", ProjectId);
  TypeCounts.clear();

  RunGuarded(
      [&] {
        Log("");
        Log("Обработка файла \"" + options.FileName + "\"");
        Log("");

        const std::string script = ReadScriptText(options.FileName, encoding);
        if (OnProgressStart) OnProgressStart(static_cast<int>(TLineReader::Count(script)));
        BatchLines.clear();
        int batchLine = 0;  // the file line (from 1) where the batch starts
        int skipped = 0;
        // A failure of a batch: the run stops there, or with KeepGoing the
        // batch is passed over.
        auto guarded = [&](int firstLine, const std::function<void()>& handle) {
          RunOrSkip(options.KeepGoing, handle, [&](const Error& error) {
            ++skipped;
            Log("Пакет со строки " + std::to_string(firstLine) + " пропущен: " + error.what());
            if (OnSkipped) OnSkipped(TSkippedFailure{firstLine, {}, {}, error.what()});
          });
        };

        // With workers, they parse and recognise the batches while this
        // thread stores the objects of each, in the order of the file.
        const int workers = WorkerThreads();
        std::unique_ptr<TCoreWorkers> pool;
        if (workers >= 1) {
          const std::vector<TReservedWordRow>& rows = DialectRows;
          pool = std::make_unique<TCoreWorkers>(
              workers,
              [&rows](TConvertCore& core) {
                core.LoadTerms(rows);
                core.RegisterCommands();
              },
              *this);
        }
        auto storeOne = [&] {
          std::unique_ptr<TCoreJob> taken = pool->Take();
          auto& job = static_cast<BatchJob&>(*taken);
          BatchLines = std::move(job.Lines);
          BatchLineNumbers = std::move(job.LineNumbers);
          guarded(job.FirstLine, [&] {
            RunGuarded(
                [&] {
                  for (const std::string& line : job.Logs) Log(line);
                  if (job.Failure) std::rethrow_exception(job.Failure);
                  StoreBatchObjects(*this, job.Objects, job.Texts);
                },
                [&] {
                  CloseDataSet(dsScript);
                  CloseDataSet(dsParentScript);
                });
          });
          BatchLines.clear();
          BatchLineNumbers.clear();
        };
        auto handleBatch = [&] {
          if (!pool) {
            guarded(batchLine, [&] { ProcessBatch(); });
          } else if (HasStatements(BatchLines)) {
            auto job = std::make_unique<BatchJob>();
            job->Lines = std::move(BatchLines);
            job->LineNumbers = std::move(BatchLineNumbers);
            job->FirstLine = batchLine;
            pool->Submit(std::move(job));
            while (pool->InFlight() > kBatchesAhead) storeOne();
          }
          BatchLines.clear();
          BatchLineNumbers.clear();
        };
        TLineReader reader(script);
        int lineNumber = 0;
        for (std::string_view line; reader.Next(line);) {
          ++lineNumber;
          if (OnProgress) OnProgress(lineNumber);
          if (IsBatchEnd(line)) {
            handleBatch();
          } else if (!line.empty()) {
            if (BatchLines.empty()) batchLine = lineNumber;
            BatchLines.emplace_back(line);
            BatchLineNumbers.push_back(lineNumber);
          }
        }
        // A last batch without its GO line is handled as SQL Server's own tools
        // do: as if the file ended with one.
        if (!BatchLines.empty()) handleBatch();
        while (pool && pool->InFlight() > 0) storeOne();
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
        CloseDataSet(dsScript);
        CloseDataSet(dsParentScript);
        RefreshObjectTree();
        CloseObjectScript();
      });
}

void TConvertDataModule::ProcessBatch() {
  if (!HasStatements(BatchLines)) return;
  TSQLObjectList objects;
  RunGuarded(
      [&] {
        RecogniseBatch(Core, BatchLines, objects, [this](const std::string& line) { Log(line); });
        StoreBatchObjects(*this, objects, ObjectTexts(objects));
      },
      [&] {
        objects.Clear();
        CloseDataSet(dsScript);
        CloseDataSet(dsParentScript);
        Core.Words.Clear();
      });
}

}  // namespace ambrix
