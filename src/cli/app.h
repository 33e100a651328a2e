#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/cli_args.h"
#include "cli/progress_bar.h"
#include "driver/convert_data_module.h"
#include "driver/direct_conversion.h"
#include "report/conversion_report.h"
#include "text/text_key_map.h"

namespace ambrix::cli {

/// Runs the command line `args` (argv without the program name) and returns
/// the exit code. Output goes to stdout, log lines, diagnostics and errors
/// to stderr.
int Run(const std::vector<std::string>& args);

/// One object of the open project, as the object tree lists it.
struct ObjectRef {
  int id = 0;
  std::string name;
  std::string type;    ///< type object name, as the repository stores it
  std::string parent;  ///< parent table's name; empty when none
};

/// A batch or an object that failed, as the command reports it.
struct Failure {
  std::string file;         ///< the script concerned; empty when none
  int line = 0;             ///< 0: unknown
  std::string typeName;     ///< repository type name of the object; empty for a batch
  std::string objectName;
  std::string message;
  int column = 0;           ///< 0: unknown (the line is where the batch or object starts)
};

/// The running command: its invocation, the console (log, progress,
/// reports) and the converter object, created on first use.
class App {
 public:
  App(const Invocation& invocation, Console& console) : inv_(invocation), console_(console) {}

  int Dispatch();

 private:
  // Commands.
  int Convert();
  int ProjectList();
  int ProjectCreate();
  int ProjectDelete();
  int ProjectShow();
  int Import();
  int Compile();
  int Reset();
  int Generate();
  int Alarms();
  int Show();
  int Report();
  /// `repository init`: in repository_command.cpp.
  int RepositoryInit();

  /// The converter on the repository of --repository (or the default one, or
  /// a private in-memory one when `inMemory`), with its callbacks plugged in.
  TConvertDataModule& Converter(bool inMemory = false);
  /// Positions dsProject on the project named `name`; throws when none.
  int FindProject(const std::string& name);
  /// Creates a project; returns its key.
  int CreateProject(const std::string& name, const std::optional<std::string>& dialect,
                    const std::optional<std::string>& dns);
  /// Opens the project named `name`.
  void OpenProject(const std::string& name);
  /// The objects of the open project, in the object tree's order.
  std::vector<ObjectRef> ProjectObjects();
  /// The objects an OBJECT argument (NAME or TYPE:NAME) names; throws when none.
  std::vector<ObjectRef> FindObjects(const std::string& spec);

  /// The usage error in the option values, or an empty string.
  std::string CheckOptions();
  /// Reads FILE into the open project; false (after reporting) when it failed.
  bool ImportFile(const std::string& file, TOptAddScript options);
  /// Compiles the pending objects of the chosen types (and, with `output`,
  /// writes the target script there); reports failures and warnings.
  /// Returns the exit code.
  int CompileAndGenerate(TOptAddScript options, const std::string* output);
  /// Reports the failures collected by the last operation; `inputs` are the
  /// scripts in which the failed objects' lines are looked up.
  void ReportFailures(const std::vector<std::string>& inputs);
  /// Why OUTPUT may not be written (an input of the command, the repository
  /// file), compared as files; empty when it may.
  std::string OutputProblem(const std::string& output);
  /// Checks that FILE is a readable text script; reports and returns false when not.
  bool CheckInput(const std::string& file);
  /// The options every operation shares: types, encodings, --keep-going.
  TOptAddScript BaseOptions();

  /// Reports a usage error found after parsing; returns kExitUsage.
  int UsageError(const std::string& message);

  const Invocation& inv_;
  Console& console_;
  std::unique_ptr<TConvertDataModule> converter_;
  /// convert without --repository: the conversion that keeps no repository.
  std::unique_ptr<TDirectConversion> direct_;
  /// Plugs the command's callbacks into a converter (TConvertDataModule or
  /// TDirectConversion).
  template <class Target>
  void PlugCallbacks(Target& converter);
  std::vector<Failure> failures_;
  std::size_t reported_ = 0;         ///< failures_ reported so far
  std::vector<std::string> inputs_;  ///< convert: the scripts read
  /// One alarm of the open project.
  struct AlarmRow {
    int objectId = 0;
    std::string type, object, text, word;
    int line = 0, column = 0;
  };
  /// The alarms of the open project, in the order of the alarm view.
  std::vector<AlarmRow> ReadAlarms();
  /// The alarms of the conversion without a repository, in the same order.
  std::vector<AlarmRow> DirectAlarms();
  /// (object key, first line of its creation script in the output), in the
  /// order the objects were written; sorted by key by SortPlaced.
  std::vector<std::pair<int, int>> placed_;
  /// Orders placed_ by key, keeping the last line given for a key.
  void SortPlaced();
  /// The line placed_ gives for an object; null when it is not in the output.
  const int* PlacedLine(int objectId) const;
  /// The scripts read in this run, in order; the last is the one being read,
  /// which failures of its batches name.
  std::vector<std::string> readFiles_;
  /// Where an object's text was read in this run: the script (index in
  /// readFiles_) and line.
  struct ReadPlace {
    std::size_t file;
    int line;
  };
  /// ReadKey(type, name) -> where it was read. Filled for every object read,
  /// so a table holding no copy of the script's name.
  TTextKeyMap<ReadPlace> read_;
  /// The key of an object in read_, made in readKey_ (valid until the next).
  std::string_view ReadKey(const std::string& typeName, const std::string& objectName);
  std::string readKey_;

  // The conversion report (report_command.cpp).
  /// convert --report without a repository: collects each object's outcome
  /// from the conversion, which keeps no sources.
  void CollectDirectOutcomes();
  /// The report of the run: of the objects the conversion without a
  /// repository compiled, or of every object of the open project.
  report::TConversionReport MakeReport();
  /// Writes the report to `file` and says so; returns `exitCode`.
  int WriteReport(const std::string& file, int exitCode);
  /// The objects the conversion without a repository compiled, by key.
  std::unordered_map<int, report::TReportObject> outcomes_;
  std::string reportProject_;  ///< convert: the project's name
};

}  // namespace ambrix::cli
