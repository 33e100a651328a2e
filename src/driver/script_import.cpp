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
#include "conversion/convert_object.h"
#include "driver/convert_data_module.h"
#include "driver/core_workers.h"
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

// `lines` joined as JoinLines joins them, made straight into the byte array
// the repository is given (a std::string first would be copied once more).
QByteArray JoinedBytes(const std::vector<std::string>& lines) {
  qsizetype total = 0;
  for (const auto& line : lines) total += static_cast<qsizetype>(line.size()) + 2;
  QByteArray text(total, Qt::Uninitialized);
  char* out = text.data();
  for (const auto& line : lines) {
    std::memcpy(out, line.data(), line.size());
    out += line.size();
    *out++ = '\r';
    *out++ = '\n';
  }
  return text;
}

// The stored source text of an object: its lines joined, with the blanks
// and line ends around them trimmed.
QByteArray ObjectText(const std::vector<std::string>& script) {
  QByteArray text = JoinedBytes(script);
  const std::string_view kept = Trim(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  text.truncate(static_cast<qsizetype>(kept.data() - text.constData() + kept.size()));
  text.remove(0, static_cast<qsizetype>(kept.data() - text.constData()));
  return text;
}

std::string_view View(const QByteArray& bytes) {
  return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string ObjectLabel(const TSQLObject& object) {
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
  if (object.Line >= 0) {
    // Recognition tells where the text starts; its blank lines are trimmed.
    std::size_t line = static_cast<std::size_t>(object.Line);
    for (std::size_t i = 0; i + 1 < object.Script.size() && Trim(object.Script[i]).empty(); ++i) ++line;
    return m.BatchLineNumbers[std::min(line, m.BatchLineNumbers.size() - 1)];
  }
  std::string_view first;
  for (const auto& line : object.Script) {
    first = Trim(line);
    if (!first.empty()) break;
  }
  for (std::size_t i = 0; i < m.BatchLines.size() && !first.empty(); ++i)
    if (m.BatchLines[i].find(first) != std::string::npos) return m.BatchLineNumbers[i];
  return m.BatchLineNumbers.front();
}

// Parses the batch `lines` with `core` and recognises its statements; the
// objects they yield go to `objects`, in order. The log lines go to `log`.
// This is the part of a batch's handling that reads no repository (it may run
// on a worker).
void RecogniseBatch(TConvertCore& core, std::vector<std::string>& lines, TSQLObjectList& objects,
                    const std::function<void(const std::string&)>& log) {
  TParserWordList& words = core.Words;
  const auto incomprehensible = [&](int startLine) {
    const auto line = static_cast<std::size_t>(startLine);
    log("Не понятная команда: \"" + (line < lines.size() ? lines[line] : std::string()) + "\"");
  };
  const auto isCommand = [](const TTerm* term) { return term->Kind == tkDefined && term->TypeName == "DML"; };
  const auto isSettings = [](const TTerm* term) { return term != nullptr && term->StartText() == "SET"; };
  // A batch whose first word is neither a comment nor a command (the "if
  // exists ... drop" before each object of a generated script, a PRINT) is
  // only checked: no parse result is made for it, unless a statement that
  // may be recognised (a command, a procedure call) starts further on.
  const std::string& comment = core.Context.CommentTermName;
  const TCommandList& commands = core.Commands;
  const std::function<bool(const TTerm*)> later = [&](const TTerm* term) {
    return term->Kind == tkDefined &&
           (commands.IndexOfKeyTerm(term) >= 0 || term->StartText() == "EXEC" || term->StartText() == "EXECUTE");
  };
  TParser::TLead lead;
  bool parsed;
  try {
    parsed = core.Parser.ParseIfWanted(
        lines, core.Terms, words,
        [&](const TTerm* term) { return term && (term->TypeName == comment || isCommand(term)); }, &lead, &later);
  } catch (...) {
    log("Ошибка обработки скрипта:");
    log(JoinLines(lines));
    throw;
  }
  if (!parsed) {
    // Option settings (SET ...) pass without a word.
    if (!isSettings(lead.term)) incomprehensible(lead.line);
    return;
  }
  if (words.Empty()) return;

  RecogniseStatements(core.Context, commands, lines, words, objects, [&](const TBatchStatement& statement) {
    // Statements of other kinds: the data changes, permissions and the like
    // that reverse-engineering leaves out pass without a word, the others are
    // named once per stretch.
    const TParserWord& key = *words.Words(statement.Key);
    if (!isCommand(key.Term) && !isSettings(key.Term)) incomprehensible(key.StartPos.Line);
  });
}

// The stored source texts of the objects a batch yielded, in their order.
std::vector<QByteArray> ObjectTexts(const TSQLObjectList& objects) {
  std::vector<QByteArray> texts;
  texts.reserve(static_cast<std::size_t>(objects.Count()));
  for (int i = 0; i < objects.Count(); ++i) texts.push_back(ObjectText(objects.Items(i).Script));
  return texts;
}

bool IsSelected(const std::vector<std::string>& selectedTypes, const std::string& upperTypeName) {
  for (const auto& name : selectedTypes)
    if (name == upperTypeName) return true;
  return false;
}

// Whether `text` split into lines as SplitLines splits it gives `lines`;
// the lines are compared where they stand, not copied out first.
bool HasLines(std::string_view text, const std::vector<std::string>& lines) {
  TLineReader reader(text);
  std::size_t k = 0;
  for (std::string_view line; reader.Next(line); ++k)
    if (k == lines.size() || line != lines[k]) return false;
  return k == lines.size();
}

// What compiling an object while its script is read gave.
struct TReadCompilation {
  bool Converted = false;          ///< false: left to the compilation run
  QByteArray DestScript, DropScript;  ///< UTF-8; DropScript null: none
  TAlarmList Alarms;
  std::vector<std::string> Logs;
};

// Thrown by the source look-up of a compilation at reading: what a conversion
// reads of the repository may be stored later in the script, so the object
// waits for the compilation run.
struct TDeferredToCompilationRun {};

class DeferringLookup : public IObjectSourceLookup {
 public:
  std::vector<std::string> OpenObjectSource(const std::string&) override { throw TDeferredToCompilationRun{}; }
};

// Compiles the objects of the selected types as a compilation run compiles
// them once stored (`texts` are their stored texts). An object whose
// conversion fails or reads the repository is left uncompiled: the
// compilation run compiles it and reports its failure.
//
// `core.Words` holds the parse of `batchLines` (the batch the objects came
// from, as parsed); the first object whose text has exactly these lines (a
// batch of one object: a procedure, a view, a trigger) is converted on that
// parse instead of a second one of the same lines.
std::vector<TReadCompilation> CompileReadObjects(TConvertCore& core, TCompileFrame frame, const TSQLObjectList& objects,
                                                 const std::vector<QByteArray>& texts,
                                                 const std::vector<std::string>& selectedTypes,
                                                 const std::vector<std::string>& batchLines) {
  bool batchParsed = !core.Words.Empty();
  std::vector<TReadCompilation> results(static_cast<std::size_t>(objects.Count()));
  DeferringLookup defer;
  // The core's own look-up comes back however this ends.
  struct LookupSwap {
    TConvertCore& core;
    IObjectSourceLookup* const saved;
    ~LookupSwap() { core.Context.Sources = saved; }
  } swap{core, core.Context.Sources};
  core.Context.Sources = &defer;
  for (int i = 0; i < objects.Count(); ++i) {
    const TSQLObject& object = objects.Items(i);
    const std::string typeName = UpperCase(object.TypeName);
    if (!IsSelected(selectedTypes, typeName)) continue;
    TReadCompilation& result = results[static_cast<std::size_t>(i)];
    const std::string_view text = View(texts[static_cast<std::size_t>(i)]);
    std::vector<std::string> destLines;  // the object's lines to parse; then what converting it gave
    std::vector<std::string> dropLines;
    try {
      if (batchParsed && HasLines(text, batchLines)) {
        // The lines were normalised by that parse, and parsing them again gives the same words.
        batchParsed = false;
      } else {
        batchParsed = false;
        destLines = SplitLines(text);
        core.Parser.Parse(destLines, core.Terms, core.Words);
      }
      result.Converted = ConvertObject(core.Analizers, typeName, object.ParentName, object.ObjectName, core.Words,
                                       destLines, dropLines, result.Alarms, frame,
                                       [&result](const std::string& line) { result.Logs.push_back(line); });
    } catch (...) {
      result.Converted = false;
    }
    core.Words.Clear();
    if (!result.Converted || destLines.empty()) {
      result = TReadCompilation();
      continue;
    }
    result.DestScript = JoinedBytes(destLines);
    if (!dropLines.empty()) result.DropScript = JoinedBytes(dropLines);
  }
  return results;
}

// The part of a batch's handling that reads no repository (it may run on a
// worker): recognises the batch `lines`, gives the stored texts of the
// objects found, and compiles them when `compiledTypes` is set (see
// CompileReadObjects). Log lines go to `log`.
void ReadBatch(TConvertCore& core, TCompileFrame frame, const std::vector<std::string>* compiledTypes,
               std::vector<std::string>& lines, TSQLObjectList& objects, std::vector<QByteArray>& texts,
               std::vector<TReadCompilation>& compiled, const std::function<void(const std::string&)>& log) {
  RunGuarded(
      [&] {
        RecogniseBatch(core, lines, objects, log);
        texts = ObjectTexts(objects);
        if (compiledTypes != nullptr) compiled = CompileReadObjects(core, frame, objects, texts, *compiledTypes, lines);
      },
      [&] { core.Words.Clear(); });
}

// A batch read on a worker, and what its handling gave.
struct TReadBatch {
  std::vector<std::string> Lines;
  std::vector<int> LineNumbers;
  int FirstLine = 0;
  const std::vector<std::string>* CompiledTypes = nullptr;  ///< null: no compilation
  TSQLObjectList Objects;
  std::vector<QByteArray> Texts;           ///< the stored texts of Objects, UTF-8
  std::vector<TReadCompilation> Compiled;  ///< per object of Objects; empty without compilation
  std::vector<std::string> Logs;           ///< log lines of its handling, in order
  std::exception_ptr Failure;              ///< what its handling threw

  void Run(TConvertCore& core) {
    ReadBatch(core, TCompileFrame::WholeRun, CompiledTypes, Lines, Objects, Texts, Compiled,
              [this](const std::string& line) { Logs.push_back(line); });
  }
};

// The key of an object in TConvertDataModule::ObjectKeys: its type's key, its
// parent's key (0: none) and its name with ASCII letters in lower case
// (SQLite's NOCASE). The text is made in a buffer kept for the next key,
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
  for (char c : name) *out++ = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return key;
}

// Reads the keys and names of the open project's objects on SQLite, whose
// NOCASE collation ObjectKey folds as well (PostgreSQL's lower() follows the
// server's locale).
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

// Whether what compiling `object` at reading gave (null: not compiled) is
// what a compilation run would store: the run converts with the stored names,
// so an object stored under another letter case (a replaced object, a parent
// found ignoring case) waits for it instead.
bool FitsStoredNames(const TConvertDataModule& m, const TSQLObject& object, const std::string& storedName,
                     const QVariant& parentId, const TReadCompilation* compiled) {
  if (compiled == nullptr || !compiled->Converted || storedName != object.ObjectName) return false;
  if (parentId.isNull()) return true;
  const auto parent = m.StoredObjectNames.find(parentId.toLongLong());
  return parent != m.StoredObjectNames.end() && parent->second == object.ParentName;
}

// Stores the objects a batch yielded (the batch is in BatchLines); `texts`
// are their stored texts (ObjectTexts), `compiled` what compiling them at
// reading gave (empty: not compiled).
void StoreBatchObjects(TConvertDataModule& m, const TSQLObjectList& objects, const std::vector<QByteArray>& texts,
                       const std::vector<TReadCompilation>& compiled) {
  for (int i = 0; i < objects.Count(); ++i) {
    const TSQLObject& object = objects.Items(i);
    if (!IsSelected(m.SelectedTypes, UpperCase(object.TypeName))) continue;

    if (m.OnObjectRead) m.OnObjectRead(object.TypeName, object.ObjectName, ObjectLine(m, object));
    // An object is one of its parent: two indexes of one name on two tables
    // are two objects.
    QVariant parentId;  // null: no parent
    std::string parentType;
    if (!object.ParentName.empty()) parentId = FindParent(m, object.ParentName, parentType);
    const bool exists = FindStoredObject(m, object.TypeName, object.ObjectName, parentId);
    const QVariant typeId = m.dsTypeObject.Value("TypeObject_id");
    const QByteArray& text = texts[static_cast<std::size_t>(i)];
    const TReadCompilation* result = compiled.empty() ? nullptr : &compiled[static_cast<std::size_t>(i)];
    switch (m.Options.Mode) {
      case amOnlyNew:
        // An object the project has ends the handling of its batch.
        if (exists) return;
        break;
      case amUpdateChanged:
        if (exists && m.dsScript.Value("SourceScript").toString() == QString::fromUtf8(text)) continue;
        break;
      default:
        break;
    }

    // What stands on a view converts otherwise than what stands on a table,
    // which reading did not know.
    if (!SameText(parentType, "table") && !parentId.isNull()) result = nullptr;
    // An index whose name another index of the project has is renamed in
    // the target, which the compilation run decides.
    int* indexNames = nullptr;
    if (result != nullptr && TConvertDataModule::IsIndexType(object.TypeName)) {
      indexNames = &m.IndexNameCounts[UpperCase(object.ObjectName)];
      if (*indexNames >= (exists ? 2 : 1)) result = nullptr;
    }

    QVariant objectId;
    // Stored with what compiling it at reading gave. The dialect must have
    // every alarm kind of the result (`alarmIds`): an object whose result
    // cannot be stored waits for the compilation run, which reports the
    // failure for that object as always.
    bool withResult = false;
    std::vector<QVariant> alarmIds;
    if (exists) {
      objectId = m.dsScript.Value("Object_id");
      const std::string storedName = m.dsScript.Text("Object");
      if (result != nullptr && IsParentType(object.TypeName)) m.StoredObjectNames[objectId.toLongLong()] = storedName;
      StoreObject(m, object, [&] {
        m.cmdScriptUpdate.SetParam("SourceScript", QString::fromUtf8(text));
        m.cmdScriptUpdate.SetParam("Object_id", objectId);
        m.cmdScriptUpdate.Execute();
      });
      m.Log("Заменен обьект " + ObjectLabel(object));
      withResult = FitsStoredNames(m, object, storedName, parentId, result) && m.FindAlarmIds(result->Alarms, alarmIds);
      if (withResult) {
        for (const std::string& line : result->Logs) m.Log(line);
        // The object loses the alarms of its old source.
        StoreObject(m, object, [&] {
          m.StoreCompiledObject(objectId, QString::fromUtf8(result->DestScript),
                                result->DropScript.isNull() ? QString() : QString::fromUtf8(result->DropScript),
                                result->Alarms, alarmIds, true);
        });
      }
    } else {
      withResult =
          FitsStoredNames(m, object, object.ObjectName, parentId, result) && m.FindAlarmIds(result->Alarms, alarmIds);
      StoreObject(m, object, [&] {
        if (withResult) {
          objectId = m.AppendCompiledObject(object.ObjectName, parentId, typeId, text, result->DestScript,
                                            result->DropScript, result->Alarms, alarmIds);
          return;
        }
        m.cmdScriptAppend.SetParam("Object", QString::fromStdString(object.ObjectName));
        m.cmdScriptAppend.SetParam("ParentObject_id", parentId);
        m.cmdScriptAppend.SetParam("TypeObject_id", typeId);
        m.cmdScriptAppend.SetParam("Project_id", m.ProjectId);
        m.cmdScriptAppend.SetParam("SourceScript", QString::fromUtf8(text));
        m.cmdScriptAppend.Execute();
        objectId = m.cmdScriptAppend.InsertedId();
      });
      if (m.ObjectKeysLoaded) {
        // Without the new key the keys no longer tell every object.
        if (objectId.isNull()) m.ObjectKeysLoaded = false;
        else m.ObjectKeys.Insert(ObjectKey(typeId, parentId, object.ObjectName), objectId.toLongLong());
      }
      if (result != nullptr && !objectId.isNull() && IsParentType(object.TypeName))
        m.StoredObjectNames[objectId.toLongLong()] = object.ObjectName;
      if (indexNames != nullptr) ++*indexNames;
      m.Log("Добавлен обьект " + ObjectLabel(object));
      if (withResult)
        for (const std::string& line : result->Logs) m.Log(line);
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
            Log("Пакет со строки " + std::to_string(firstLine) + " пропущен: " + error.what());
            if (OnSkipped) OnSkipped(TSkippedFailure{firstLine, {}, {}, error.what()});
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
                    StoreBatchObjects(*this, batch->Objects, batch->Texts, batch->Compiled);
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
        auto handleBatch = [&] {
          if (!pool) {
            guarded(batchLine, [&] { ProcessBatch(); });
          } else if (HasStatements(BatchLines)) {
            auto batch = std::make_unique<TReadBatch>();
            std::size_t bytes = 0;
            for (const std::string& line : BatchLines) bytes += line.size();
            batch->Lines = std::move(BatchLines);
            batch->LineNumbers = std::move(BatchLineNumbers);
            batch->FirstLine = batchLine;
            if (options.CompileOnImport) batch->CompiledTypes = &SelectedTypes;
            feeder->Add(std::move(batch), bytes);
          }
          BatchLines.clear();
          BatchLineNumbers.clear();
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
            if (BatchLines.empty()) batchLine = lineNumber;
            BatchLines.emplace_back(line);
            BatchLineNumbers.push_back(lineNumber);
          }
        }
        // A last batch without its GO line is handled as SQL Server's own tools
        // do: as if the file ended with one.
        if (!BatchLines.empty()) handleBatch();
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
  TSQLObjectList objects;
  RunGuarded(
      [&] {
        std::vector<QByteArray> texts;
        std::vector<TReadCompilation> compiled;
        ReadBatch(Core, TCompileFrame::SingleObject, Options.CompileOnImport ? &SelectedTypes : nullptr, BatchLines,
                  objects, texts, compiled, [this](const std::string& line) { Log(line); });
        StoreBatchObjects(*this, objects, texts, compiled);
      },
      [&] {
        objects.Clear();
        CloseDataSet(dsScript);
        CloseDataSet(dsParentScript);
        Core.Words.Clear();
      });
}

}  // namespace ambrix
