#include "cli/app.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>

#include "cli/diagnostics.h"
#include "cli/object_types.h"
#include "driver/repository_location.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"
#include "text/version.h"

namespace ambrix::cli {

namespace {

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

std::string Padded(const std::string& text, std::size_t width) {
  const std::size_t length = Utf8Length(text);
  return length >= width ? text : text + std::string(width - length, ' ');
}

}  // namespace

int Run(const std::vector<std::string>& args) {
  const ParseResult parsed = ParseCommandLine(args);
  const Invocation& inv = parsed.invocation;
  if (!parsed.error.empty()) {
    std::cerr << "ambrix: " << parsed.error << "\n" << UsageHint(inv.command) << "\n";
    return kExitUsage;
  }
  if (inv.version) {
    Print(std::string("ambrix ") + Version() + "\n");
    return kExitOk;
  }
  if (inv.help) {
    Print(inv.command ? CommandHelp(*inv.command) : OverviewHelp());
    return kExitOk;
  }
  Console console(stderr, inv.Has("quiet"));
  App app(inv, console);
  try {
    return app.Dispatch();
  } catch (const std::exception& e) {
    // Errors of the repository, of the input and of the output alike.
    console.Finish();
    console.Report(FormatError({}, std::nullopt, e.what()));
    return kExitError;
  }
}

int App::Dispatch() {
  const std::string& name = inv_.command->name;
  if (const std::string problem = CheckOptions(); !problem.empty()) return UsageError(problem);
  if (name == "convert") return Convert();
  if (name == "project list") return ProjectList();
  if (name == "project create") return ProjectCreate();
  if (name == "project delete") return ProjectDelete();
  if (name == "project show") return ProjectShow();
  if (name == "import") return Import();
  if (name == "compile") return Compile();
  if (name == "reset") return Reset();
  if (name == "generate") return Generate();
  if (name == "alarms") return Alarms();
  if (name == "show") return Show();
  if (name == "report") return Report();
  if (name == "repository init") return RepositoryInit();
  return UsageError("unknown command '" + name + "'");
}

std::string App::CheckOptions() {
  if (inv_.command->name == "project create" && (Trim(inv_.args[0]).empty() || Utf8Length(inv_.args[0]) > 50))
    return "a project name is 1 to 50 characters long";
  if (inv_.Has("types")) {
    TOptAddScript probe;
    if (std::string problem = ChooseTypes(inv_.options.at("types"), probe); !problem.empty()) return problem;
  }
  if (const auto type = inv_.Value("type"); type && !RepositoryTypeName(*type))
    return "unknown object type '" + *type + "'";
  for (const char* option : {"input-encoding", "output-encoding"}) {
    const auto name = inv_.Value(option);
    if (!name) continue;
    TextEncoding encoding;
    try {
      encoding = EncodingFromName(*name);
    } catch (const Error&) {
      return "--" + std::string(option) + ": unknown encoding '" + *name + "'";
    }
    if (std::string(option) == "output-encoding" && encoding != TextEncoding::Utf8 &&
        encoding != TextEncoding::Windows1251)
      return "--output-encoding: the generated script is written in utf-8 or windows-1251, not '" + *name + "'";
  }
  if (const auto mode = inv_.Value("mode"); mode && *mode != "new" && *mode != "changed" && *mode != "all")
    return "--mode is new, changed or all, not '" + *mode + "'";
  if (const auto format = inv_.Value("format"); format && *format != "text" && *format != "csv" && *format != "json")
    return "--format is text, csv or json, not '" + *format + "'";
  if (inv_.Has("source") + inv_.Has("dest") + inv_.Has("drop") > 1) return "give only one of --source, --dest, --drop";
  if (inv_.command->name == "generate" && !inv_.Value("output")) return "generate needs the file to write: -o FILE";
  if (inv_.command->name == "report" && !inv_.Value("output")) return "report needs the page to write: -o FILE";
  if (const auto jobs = inv_.Value("jobs")) {
    const bool digits = !jobs->empty() && jobs->size() <= 3 &&
                        std::all_of(jobs->begin(), jobs->end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(*jobs) < 1 || std::stoi(*jobs) > 64) return "--jobs is a number from 1 to 64, not '" + *jobs + "'";
  }
  if (const auto wait = inv_.Value("wait")) {
    const bool digits = !wait->empty() && wait->size() <= 5 &&
                        std::all_of(wait->begin(), wait->end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return "--wait is a number of seconds, not '" + *wait + "'";
  }
  if (inv_.Has("project") && !inv_.Has("repository"))
    return "--project needs --repository (without it the conversion leaves no project behind)";
  return {};
}

int App::UsageError(const std::string& message) {
  console_.Report("ambrix: " + message + "\n" + UsageHint(inv_.command));
  return kExitUsage;
}

TConvertDataModule& App::Converter(bool inMemory) {
  if (converter_) return *converter_;
  RepositoryLocation location;
  if (const auto text = inv_.Value("repository"))
    location = ParseRepositoryLocation(*text);
  else
    location = inMemory ? InMemoryRepositoryLocation() : DefaultRepositoryLocation();
  converter_ = std::make_unique<TConvertDataModule>(location);
  if (const auto jobs = inv_.Value("jobs")) converter_->Workers = std::stoi(*jobs);
  if (const auto wait = inv_.Value("wait")) converter_->ImportLockWait = std::chrono::seconds(std::stoi(*wait));
  // The object tree is read only where a command lists objects, the alarms
  // only where a command reports them.
  converter_->KeepObjectTree = false;
  converter_->KeepAlarmObjects = false;
  PlugCallbacks(*converter_);
  return *converter_;
}

template <class Target>
void App::PlugCallbacks(Target& converter) {
  converter.OnLog = [this](const std::string& line) { console_.Log(line); };
  converter.OnProgressStart = [this](int max) { console_.Start(max); };
  converter.OnProgress = [this](int position) { console_.Step(position); };
  converter.OnSkipped = [this](const TSkippedFailure& skipped) {
    // A batch that failed is in the script being read.
    const bool batch = skipped.ObjectName.empty() && !readFiles_.empty();
    Failure failure{batch ? readFiles_.back() : std::string(), skipped.Line, skipped.TypeName,
                    skipped.ObjectName, skipped.Message, skipped.Col};
    failures_.push_back(std::move(failure));
    // Without --keep-going the first failure ends the run: it leaves the
    // converter as the failure itself would.
    // A report shows failures: it never ends at the first.
    if (!inv_.Has("keep-going") && inv_.command->name != "report") throw Error(skipped.Message);
  };
  converter.OnScriptPlaced = [this](int objectId, int line) { placed_.emplace_back(objectId, line); };
  converter.OnObjectRead = [this](const std::string& type, const std::string& name, int line) {
    // Objects are read while ImportFile reads their script, the last one listed.
    if (!readFiles_.empty()) read_.Assign(ReadKey(type, name), ReadPlace{readFiles_.size() - 1, line});
  };
}

template void App::PlugCallbacks(TConvertDataModule&);
template void App::PlugCallbacks(TDirectConversion&);

std::string_view App::ReadKey(const std::string& typeName, const std::string& objectName) {
  // A line break stands in no type name: the key cannot be made two ways.
  readKey_.assign(typeName);
  UpperCaseInPlace(readKey_);
  readKey_ += '\n';
  readKey_ += objectName;
  return readKey_;
}

void App::SortPlaced() {
  // Stable: of the lines given for one key, the last stays last.
  std::stable_sort(placed_.begin(), placed_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<int, int>> kept;
  kept.reserve(placed_.size());
  for (std::size_t i = 0; i < placed_.size(); ++i)
    if (i + 1 == placed_.size() || placed_[i + 1].first != placed_[i].first) kept.push_back(placed_[i]);
  placed_ = std::move(kept);
}

const int* App::PlacedLine(int objectId) const {
  const auto at = std::lower_bound(placed_.begin(), placed_.end(), objectId,
                                   [](const std::pair<int, int>& placed, int key) { return placed.first < key; });
  return at != placed_.end() && at->first == objectId ? &at->second : nullptr;
}

int App::FindProject(const std::string& name) {
  DataSet& projects = Converter().dsProject;
  // Names are matched exactly first, then ignoring case when that is unambiguous.
  if (projects.Locate("Name", [&](const QVariant& v) { return v.toString().toStdString() == name; }))
    return static_cast<int>(projects.Int("Project_id"));
  int found = -1;
  for (int row = 0; row < projects.RowCount(); ++row) {
    if (!SameText(projects.Value(row, "Name").toString().toStdString(), name)) continue;
    if (found >= 0) throw Error("project name '" + name + "' is ambiguous: letter case tells the projects apart");
    found = row;
  }
  if (found < 0) throw Error("no project named '" + name + "' (ambrix project list shows the projects)");
  projects.MoveTo(found);
  return static_cast<int>(projects.Int("Project_id"));
}

int App::CreateProject(const std::string& name, const std::optional<std::string>& dialect,
                       const std::optional<std::string>& dns) {
  TConvertDataModule& cv = Converter();
  DataSet& dialects = cv.dsDialect;
  if (dialects.IsEmpty()) throw Error("the repository holds no source dialect");
  dialects.First();
  if (dialect && !dialects.Locate("Name", [&](const QVariant& v) { return SameText(v.toString().toStdString(), *dialect); }))
    throw Error("no dialect named '" + *dialect + "'");
  const QVariant dialectId = dialects.Value("Dialect_id");
  UpdatableDataSet& projects = cv.dsProject;
  projects.Insert();
  try {
    projects.SetValue("Name", QString::fromStdString(name));
    projects.SetValue("Dialect_id", dialectId);
    if (dns) projects.SetValue("DNS", QString::fromStdString(*dns));
    projects.Post();
  } catch (...) {
    projects.Cancel();
    throw;
  }
  return static_cast<int>(projects.Int("Project_id"));
}

void App::OpenProject(const std::string& name) {
  TConvertDataModule& cv = Converter();
  cv.SetProject(FindProject(name));
}

std::vector<ObjectRef> App::ProjectObjects() {
  DataSet& tree = Converter().dsTreeObject;
  if (!tree.IsOpen()) Converter().OpenObjectTree(Converter().ProjectId);
  std::vector<ObjectRef> objects;
  for (int row = 0; row < tree.RowCount(); ++row) {
    const long long level = tree.Value(row, "Level").toLongLong();
    if (level == 0 || level == 2) continue;  // type groups
    ObjectRef object;
    object.id = tree.Value(row, "Object_id").toInt();
    object.name = tree.Value(row, "Object").toString().toStdString();
    object.type = tree.Value(row, "TypeObject").toString().toStdString();
    object.parent = tree.Value(row, "ParentObject").toString().toStdString();
    objects.push_back(std::move(object));
  }
  return objects;
}

std::vector<ObjectRef> App::FindObjects(const std::string& spec) {
  std::optional<std::string> type;
  std::string name = spec;
  const std::size_t colon = spec.find(':');
  if (colon != std::string::npos) {
    type = RepositoryTypeName(spec.substr(0, colon));
    if (!type) throw Error("unknown object type '" + spec.substr(0, colon) + "' in '" + spec + "'");
    name = spec.substr(colon + 1);
  }
  std::vector<ObjectRef> found;
  for (ObjectRef& object : ProjectObjects()) {
    if (!SameText(object.name, name)) continue;
    if (type && !SameText(object.type, *type)) continue;
    found.push_back(std::move(object));
  }
  if (found.empty()) throw Error("no object named '" + spec + "' in project '" + Converter().ProjectName + "'");
  return found;
}

// --- Project commands ------------------------------------------------------

int App::ProjectList() {
  DataSet& projects = Converter().dsProject;
  std::size_t width = 4;
  for (int row = 0; row < projects.RowCount(); ++row)
    width = std::max(width, Utf8Length(projects.Value(row, "Name").toString().toStdString()));
  for (int row = 0; row < projects.RowCount(); ++row) {
    std::string line = Padded(projects.Value(row, "Name").toString().toStdString(), width) + "  " +
                       projects.Value(row, "DialectName").toString().toStdString();
    const std::string dns = projects.Value(row, "DNS").toString().toStdString();
    if (!dns.empty()) line += "  (ODBC " + dns + ")";
    Print(line + "\n");
  }
  return kExitOk;
}

int App::ProjectCreate() {
  const std::string& name = inv_.args[0];
  DataSet& projects = Converter().dsProject;
  if (projects.Locate("Name", [&](const QVariant& v) { return SameText(v.toString().toStdString(), name); }))
    throw Error("a project named '" + projects.Text("Name") + "' already exists");
  CreateProject(name, inv_.Value("dialect"), inv_.Value("dns"));
  console_.Log("ambrix: created project '" + name + "'");
  return kExitOk;
}

int App::ProjectDelete() {
  FindProject(inv_.args[0]);
  Converter().dsProject.Delete();
  console_.Log("ambrix: deleted project '" + inv_.args[0] + "'");
  return kExitOk;
}

int App::ProjectShow() {
  OpenProject(inv_.args[0]);
  TConvertDataModule& cv = Converter();
  std::string out = "Project:  " + cv.ProjectName + "\n";
  out += "Dialect:  " + cv.dsProject.Text("DialectName") + "\n";
  if (!cv.ProjectDNS.empty()) out += "ODBC:     " + cv.ProjectDNS + "\n";
  std::map<std::string, std::pair<int, int>> perType;  // objects, warnings
  int objects = 0;
  for (const ObjectRef& object : ProjectObjects()) {
    ++perType[CliTypeName(object.type)].first;
    ++objects;
  }
  const std::vector<AlarmRow> alarms = ReadAlarms();
  for (const AlarmRow& alarm : alarms) ++perType[CliTypeName(alarm.type)].second;
  std::map<std::string, long long> compiled;
  long long allCompiled = 0;
  cv.repository().ForEachRow(cv.repository().statements().Text("dsCompiledCounts"), {{"Project_id", cv.ProjectId}},
                             [&](const QueryRow& row) {
                               compiled[CliTypeName(row.Bytes(0))] += row.Integer(1);
                               allCompiled += row.Integer(1);
                             });
  out += "Objects:  " + std::to_string(objects) + ", warnings: " + std::to_string(alarms.size()) +
         ", compiled: " + std::to_string(allCompiled) + "\n";
  for (const auto& [type, counts] : perType)
    out += "  " + Padded(type, 20) + std::to_string(counts.first) + " objects, " + std::to_string(counts.second) +
           " warnings, " + std::to_string(compiled[type]) + " compiled\n";
  Print(out);
  return kExitOk;
}

}  // namespace ambrix::cli
