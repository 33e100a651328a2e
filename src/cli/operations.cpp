// The commands that run the converter object's operations: convert, import,
// compile, reset, generate, alarms and show.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/app.h"
#include "cli/diagnostics.h"
#include "cli/object_types.h"
#include "cli/source_lines.h"
#include "driver/repository_location.h"
#include "driver/script_file.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/json_string.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix::cli {

namespace fs = std::filesystem;

namespace {

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// A stored script (lines ended by CR LF) as the terminal wants it.
std::string WithLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

// pubs.sql gives pubs.asa.sql beside it; a name without extension gets it added.
std::string DefaultOutput(const std::string& input) {
  fs::path path(input);
  path.replace_extension(".asa.sql");
  return path.string();
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
  return fs::weakly_canonical(fs::absolute(a, error), error) == fs::weakly_canonical(fs::absolute(b, error), error);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string JsonString(const std::string& text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

}  // namespace

std::vector<App::AlarmRow> App::DirectAlarms() {
  std::vector<AlarmRow> rows;
  for (TDirectConversion::TAlarmRow& alarm : direct_->Alarms())
    rows.push_back({alarm.ObjectId, std::move(alarm.TypeName), std::move(alarm.ObjectName), std::move(alarm.Text),
                    std::move(alarm.Word), alarm.Line, alarm.Column});
  return rows;
}

std::vector<App::AlarmRow> App::ReadAlarms() {
  TConvertDataModule& cv = Converter();
  std::vector<AlarmRow> rows;
  // The statement of the alarm view, read row by row: the command line keeps
  // no alarm view open (KeepAlarmObjects).
  std::array<int, 7> columns{};
  cv.repository().ForEachRow(
      cv.repository().statements().Text("dsAlarmObject"), {{"Project_id", cv.ProjectId}}, [&](const QueryRow& row) {
        if (rows.empty()) {
          const char* names[] = {"Object_id", "TypeObjectName", "ObjectName", "AlarmName", "Word", "NumLine", "NumPos"};
          for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = row.RequireColumn(names[i], "dsAlarmObject");
        }
        AlarmRow alarm;
        alarm.objectId = row.Value(columns[0]).toInt();
        alarm.type = row.Bytes(columns[1]);
        alarm.object = row.Bytes(columns[2]);
        alarm.text = row.Bytes(columns[3]);
        alarm.word = row.Bytes(columns[4]);
        alarm.line = row.Value(columns[5]).toInt();
        alarm.column = row.Value(columns[6]).toInt();
        rows.push_back(std::move(alarm));
      });
  return rows;
}

TOptAddScript App::BaseOptions() {
  TOptAddScript options;
  static const std::vector<std::string> kAll;
  ChooseTypes(inv_.Has("types") ? inv_.options.at("types") : kAll, options);
  options.InputEncoding = inv_.Value("input-encoding").value_or("");
  options.OutputEncoding = inv_.Value("output-encoding").value_or("");
  // Failures always come through OnSkipped, which knows where they are;
  // without --keep-going it ends the run at the first one.
  options.KeepGoing = true;
  return options;
}

namespace {

// The line (from 1) of the byte at `offset` of the open file: the line ends
// before it, counted only when a check has something to report there.
int LineOfOffset(std::FILE* in, long long offset) {
  if (std::fseek(in, 0, SEEK_SET) != 0) return 0;
  std::vector<char> buffer(1 << 16);
  int line = 1;
  while (offset > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<long long>(offset, static_cast<long long>(buffer.size())));
    const std::size_t n = std::fread(buffer.data(), 1, want, in);
    if (n == 0) break;
    line += static_cast<int>(CountChar(std::string_view(buffer.data(), n), '\n'));
    offset -= static_cast<long long>(n);
  }
  return line;
}

}  // namespace

bool App::CheckInput(const std::string& file) {
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  std::string problem;
  if (!fs::exists(status)) {
    problem = "no such file";
  } else if (fs::is_directory(status)) {
    problem = "is a directory, not a script";
  } else if (std::FILE* in = std::fopen(file.c_str(), "rb"); !in) {
    problem = std::string("cannot be read: ") + std::strerror(errno);
  } else {
    // A NUL byte never occurs in a text script unless it is UTF-16.
    const std::string encoding = LowerCase(inv_.Value("input-encoding").value_or(""));
    const bool utf16Named = encoding.rfind("utf-16", 0) == 0;
    std::vector<char> buffer(1 << 16);
    bool first = true;
    long long offset = 0;
    std::size_t n;
    while (problem.empty() && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
      if (first && n >= 2 &&
          ((buffer[0] == '\xFF' && buffer[1] == '\xFE') || (buffer[0] == '\xFE' && buffer[1] == '\xFF')))
        break;  // UTF-16 with its byte-order mark
      first = false;
      if (utf16Named) break;
      if (const char* nul = static_cast<const char*>(std::memchr(buffer.data(), 0, n))) {
        const long long at = offset + (nul - buffer.data());
        problem = "binary data (a NUL byte at offset " + std::to_string(at) + ", line " +
                  std::to_string(LineOfOffset(in, at)) + "): not a text script";
      }
      offset += static_cast<long long>(n);
    }
    if (problem.empty() && std::ferror(in)) problem = std::string("cannot be read: ") + std::strerror(errno);
    std::fclose(in);
  }
  if (problem.empty()) return true;
  console_.Report(FormatError(file, std::nullopt, problem));
  return false;
}

bool App::ImportFile(const std::string& file, TOptAddScript options) {
  options.FileName = file;
  readFiles_.push_back(file);
  const std::size_t before = failures_.size();
  console_.SetLabel(fs::path(file).filename().string());
  try {
    if (direct_)
      direct_->AddScript(options);
    else
      Converter().AddScript(options);
  } catch (const Error& error) {
    console_.Finish();
    if (failures_.size() == before) failures_.push_back({file, 0, {}, {}, error.what()});
    ReportFailures({});
    return false;
  }
  console_.Finish();
  ReportFailures({});
  return true;
}

void App::ReportFailures(const std::vector<std::string>& inputs) {
  if (reported_ >= failures_.size()) return;
  // The scripts are read again only when an object's line is to be found.
  std::vector<std::pair<std::string, SourceLines>> scripts;
  std::vector<ObjectRef> objects;
  bool read = false;
  for (; reported_ < failures_.size(); ++reported_) {
    Failure& failure = failures_[reported_];
    if (failure.file.empty() && !failure.objectName.empty()) {
      // An object read in this run: its line is known from the reading.
      const ReadPlace* at = read_.Find(ReadKey(failure.typeName, failure.objectName));
      if (at != nullptr && at->line > 0) {
        failure.file = readFiles_[at->file];
        failure.line = at->line;
      }
    }
    if (failure.file.empty() && !failure.objectName.empty() && !inputs.empty() && !direct_) {
      if (!read) {
        read = true;
        const TextEncoding encoding = EncodingFromName(inv_.Value("input-encoding").value_or(""));
        for (const std::string& input : inputs) {
          std::ifstream in(input, std::ios::binary);
          const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
          try {
            scripts.emplace_back(input, SourceLines(DecodeText(bytes, encoding).Lines));
          } catch (const Error&) {
            // The script was read once already; a line is only a help here.
          }
        }
        objects = ProjectObjects();
      }
      for (const ObjectRef& object : objects) {
        if (object.name != failure.objectName || !SameText(object.type, failure.typeName)) continue;
        Converter().OpenObjectScript(object.id);
        const std::string source = Converter().dsObjectScript.Text("SourceScript");
        Converter().CloseObjectScript();
        for (const auto& [input, lines] : scripts) {
          if (const auto line = lines.Find(source)) {
            failure.file = input;
            failure.line = *line;
            break;
          }
        }
        break;
      }
    }
    console_.Report(FormatError(failure.file, failure.line > 0 ? std::optional<int>(failure.line) : std::nullopt,
                                failure.message, failure.typeName, failure.objectName, failure.column));
  }
}

int App::CompileAndGenerate(TOptAddScript options, const std::string* output) {
  placed_.clear();
  console_.SetLabel(output ? "converting" : "compiling");
  try {
    if (output) {
      options.FileName = *output;
      if (direct_)
        direct_->GenerateScript(options);
      else
        Converter().GenerateScript(options);
    } else {
      Converter().CompilePending(options);
    }
  } catch (const Error&) {
    console_.Finish();
    if (reported_ == failures_.size()) throw;  // not an object's failure
    ReportFailures(inputs_);
    return kExitError;
  }
  console_.Finish();
  ReportFailures(inputs_);
  if (!output) {
    console_.Log("ambrix: compiled the pending objects of project '" + Converter().ProjectName + "'");
    return failures_.empty() ? kExitOk : kExitObjectsFailed;
  }

  // Each alarm's position in its object's creation script, moved to where
  // that script stands in the file.
  struct Placed {
    int line, column;
    std::string text;
  };
  std::vector<Placed> warnings;
  SortPlaced();
  for (const AlarmRow& alarm : direct_ ? DirectAlarms() : ReadAlarms()) {
    const int* at = PlacedLine(alarm.objectId);
    if (at == nullptr) continue;  // not in this file
    const int line = *at + std::max(alarm.line, 1) - 1;
    warnings.push_back({line, alarm.column,
                        FormatWarning(*output, line, alarm.column, alarm.text, alarm.word, alarm.type, alarm.object)});
  }
  std::stable_sort(warnings.begin(), warnings.end(), [](const Placed& a, const Placed& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  for (const Placed& warning : warnings) console_.Report(warning.text);

  std::string summary = "ambrix: wrote " + *output + " (" + std::to_string(placed_.size()) + " objects, " +
                        std::to_string(warnings.size()) + " warnings";
  if (!failures_.empty()) summary += ", " + std::to_string(failures_.size()) + " failed";
  console_.Log(summary + ")");
  return failures_.empty() ? kExitOk : kExitObjectsFailed;
}

// --- Commands ----------------------------------------------------------------

std::string App::OutputProblem(const std::string& output) {
  for (const std::string& input : inputs_)
    if (SameFile(input, output)) return "the output " + output + " would overwrite the input " + input;
  // Only a repository the command opens is guarded: convert without
  // --repository keeps none.
  if (inv_.command->name == "convert" && !inv_.Has("repository")) return {};
  const RepositoryLocation location =
      inv_.Value("repository") ? ParseRepositoryLocation(*inv_.Value("repository")) : DefaultRepositoryLocation();
  if (location.backend != Backend::SQLite || location.InMemory()) return {};
  try {
    RefuseOutputOver(output, {location.path});
  } catch (const Error&) {
    return "the output " + output + " would overwrite the repository " + location.path;
  }
  return {};
}

int App::Convert() {
  inputs_ = inv_.args;
  const std::string output = inv_.Value("output").value_or(DefaultOutput(inputs_[0]));
  if (const std::string problem = OutputProblem(output); !problem.empty()) return UsageError(problem);
  const std::optional<std::string> reportFile = inv_.Value("report");
  if (reportFile) {
    if (const std::string problem = OutputProblem(*reportFile); !problem.empty()) return UsageError(problem);
    if (SameFile(*reportFile, output)) return UsageError("the report " + *reportFile + " would overwrite the output " + output);
  }
  for (const std::string& input : inputs_)
    if (!CheckInput(input)) return kExitError;

  const bool persistent = inv_.Has("repository");
  std::string name = inv_.Value("project").value_or(fs::path(inputs_[0]).stem().string());
  if (Utf8Length(name) > 50) name.resize(Utf8ByteOffset(name, 50));
  if (Trim(name).empty()) name = "convert";
  TOptAddScript options = BaseOptions();
  options.KeptFiles = inputs_;
  options.Mode = amUpdateChanged;
  // Every object read is generated: it is compiled as soon as it is stored.
  options.CompileOnImport = true;
  reportProject_ = name;
  auto work = [&]() -> int {
    for (const std::string& input : inputs_)
      if (!ImportFile(input, options)) return kExitError;
    const int exitCode = CompileAndGenerate(options, &output);
    // The report goes with a written script.
    return reportFile && exitCode != kExitError ? WriteReport(*reportFile, exitCode) : exitCode;
  };
  if (!persistent) {
    // Without a repository: the objects are kept in memory for this run.
    direct_ = std::make_unique<TDirectConversion>(inv_.Value("jobs") ? std::stoi(*inv_.Value("jobs")) : 0);
    PlugCallbacks(*direct_);
    if (reportFile) CollectDirectOutcomes();
    direct_->Open(name);
    return work();
  }
  TConvertDataModule& cv = Converter();
  int projectId = 0;
  if (persistent) {
    DataSet& projects = cv.dsProject;
    if (projects.Locate("Name", [&](const QVariant& v) { return v.toString().toStdString() == name; }))
      projectId = static_cast<int>(projects.Int("Project_id"));
  }
  if (projectId == 0) projectId = CreateProject(name, std::nullopt, std::nullopt);
  cv.SetProject(projectId);
  return work();
}

int App::Import() {
  const std::vector<std::string> files(inv_.args.begin() + 1, inv_.args.end());
  for (const std::string& file : files)
    if (!CheckInput(file)) return kExitError;
  OpenProject(inv_.args[0]);
  TOptAddScript options = BaseOptions();
  const std::string mode = inv_.Value("mode").value_or("changed");
  options.Mode = mode == "new" ? amOnlyNew : mode == "all" ? amUpdateAll : amUpdateChanged;
  for (const std::string& file : files)
    if (!ImportFile(file, options)) return kExitError;
  return failures_.empty() ? kExitOk : kExitObjectsFailed;
}

int App::Compile() {
  OpenProject(inv_.args[0]);
  if (inv_.args.size() == 1) return CompileAndGenerate(BaseOptions(), nullptr);
  // Every name is resolved before anything is compiled: a typo costs nothing.
  std::vector<ObjectRef> targets;
  for (std::size_t i = 1; i < inv_.args.size(); ++i)
    for (ObjectRef& object : FindObjects(inv_.args[i])) targets.push_back(std::move(object));
  TConvertDataModule& cv = Converter();
  for (const ObjectRef& object : targets) {
    cv.OpenObjectScript(object.id);
    try {
      cv.CompileObject();
      // A type without a converter leaves the object as it was.
      if (cv.dsObjectScript.IsNull("DestScript"))
        throw Error("objects of type " + CliTypeName(object.type) + " are not converted: nothing was compiled");
    } catch (const Error& error) {
      cv.CloseObjectScript();
      failures_.push_back({{}, 0, object.type, object.name, error.what()});
      ReportFailures({});
      if (!inv_.Has("keep-going")) return kExitError;
    }
    cv.CloseObjectScript();
  }
  return failures_.empty() ? kExitOk : kExitObjectsFailed;
}

int App::Reset() {
  OpenProject(inv_.args[0]);
  TConvertDataModule& cv = Converter();
  int typeId = 0;
  if (const auto type = inv_.Value("type")) {
    if (!cv.LocateTypeObject(*RepositoryTypeName(*type))) throw Error("the dialect has no object type '" + *type + "'");
    typeId = static_cast<int>(cv.dsTypeObject.Int("TypeObject_id"));
  }
  cv.ClearCompilation(typeId);
  return kExitOk;
}

int App::Generate() {
  const std::string output = *inv_.Value("output");
  if (const std::string problem = OutputProblem(output); !problem.empty()) return UsageError(problem);
  OpenProject(inv_.args[0]);
  return CompileAndGenerate(BaseOptions(), &output);
}

int App::Alarms() {
  OpenProject(inv_.args[0]);
  const std::vector<AlarmRow> rows = ReadAlarms();
  const std::string format = inv_.Value("format").value_or("text");
  std::string out;
  if (format == "csv") {
    out = "type,object,line,column,word,alarm\r\n";
    for (const AlarmRow& a : rows)
      out += CliTypeName(a.type) + "," + CsvField(a.object) + "," + std::to_string(a.line) + "," +
             std::to_string(a.column) + "," + CsvField(a.word) + "," + CsvField(a.text) + "\r\n";
  } else if (format == "json") {
    out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const AlarmRow& a = rows[i];
      out += std::string(i ? "," : "") + "\n  {\"type\": " + JsonString(CliTypeName(a.type)) +
             ", \"object\": " + JsonString(a.object) + ", \"line\": " + std::to_string(a.line) +
             ", \"column\": " + std::to_string(a.column) + ", \"word\": " + JsonString(a.word) +
             ", \"alarm\": " + JsonString(a.text) + "}";
    }
    out += rows.empty() ? "]\n" : "\n]\n";
  } else {
    // The position is in the object's converted script (ambrix show PROJECT OBJECT).
    for (const AlarmRow& a : rows)
      out += ObjectTag(a.type, a.object) + ":" + std::to_string(a.line) + ":" + std::to_string(a.column) + ": " +
             a.text + (a.word.empty() ? "" : ": " + a.word) + "\n";
  }
  Print(out);
  return kExitOk;
}

int App::Show() {
  OpenProject(inv_.args[0]);
  const std::vector<ObjectRef> found = FindObjects(inv_.args[1]);
  if (found.size() > 1) {
    std::string names;
    for (const ObjectRef& object : found) names += " " + CliTypeName(object.type) + ":" + object.name;
    return UsageError("'" + inv_.args[1] + "' names several objects; write one of:" + names);
  }
  TConvertDataModule& cv = Converter();
  cv.OpenObjectScript(found[0].id);
  std::string text;
  if (inv_.Has("source")) {
    text = cv.dsObjectScript.Text("SourceScript");
  } else if (inv_.Has("drop")) {
    text = cv.dsObjectScript.Text("DropScript");
  } else {
    if (cv.dsObjectScript.IsNull("DestScript")) {
      try {
        cv.CompileObject();
      } catch (const Error& error) {
        failures_.push_back({{}, 0, found[0].type, found[0].name, error.what()});
        ReportFailures({});
        return kExitError;
      }
    }
    if (cv.dsObjectScript.IsNull("DestScript")) throw Error("objects of this type are not converted");
    text = cv.dsObjectScript.Text("DestScript");
  }
  // An empty script is no answer: the object was not compiled, or its type
  // has none of that kind.
  if (text.empty())
    throw Error(CliTypeName(found[0].type) + " " + found[0].name + " has no " +
                (inv_.Has("source") ? "source" : inv_.Has("drop") ? "drop" : "converted") + " script" +
                (inv_.Has("drop") && cv.dsObjectScript.IsNull("DestScript")
                     ? " yet: it is not compiled (ambrix compile " + inv_.args[0] + " " + inv_.args[1] + ")"
                     : ": objects of this type are dropped with their table or not at all"));
  Print(WithLineFeeds(text));
  return kExitOk;
}

}  // namespace ambrix::cli
