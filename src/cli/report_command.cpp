// The conversion report: `ambrix report PROJECT -o FILE`, and the page
// `ambrix convert ... --report FILE` writes. Both paths of convert give the
// report the same objects, texts, warnings and failures: the one without a
// repository collects them as it compiles (it keeps no sources), the one with
// a repository reads them back from the project as `show` and `alarms` do.

#include <algorithm>

#include "cli/app.h"
#include "cli/object_types.h"
#include "driver/script_file.h"
#include "report/html_report.h"
#include "text/utf8.h"

namespace ambrix::cli {

namespace {

report::TReportObject ReportObject(std::string_view repositoryType, std::string name, std::string parent) {
  report::TReportObject object;
  object.TypeOrder = TypeOrder(repositoryType);
  object.Type = CliTypeName(repositoryType);
  object.Name = std::move(name);
  object.Parent = std::move(parent);
  return object;
}

}  // namespace

void App::CollectDirectOutcomes() {
  direct_->OnObjectOutcome = [this](const TDirectConversion::TObjectOutcome& outcome) {
    // A replaced object is told again: its last outcome stands.
    report::TReportObject& object = outcomes_[outcome.ObjectId];
    object = ReportObject(outcome.TypeName, std::string(outcome.ObjectName), std::string(outcome.ParentName));
    object.Source = outcome.Source;
    object.Dest = outcome.Dest;
    object.Failure = outcome.Failure;
    object.State = outcome.Converted         ? report::TObjectState::Converted
                   : outcome.Failure.empty() ? report::TObjectState::NotConverted
                                             : report::TObjectState::Failed;
  };
}

report::TConversionReport App::MakeReport() {
  report::TConversionReport report;
  std::unordered_map<int, std::size_t> placeOf;  // object key -> index in report.Objects
  if (direct_) {
    report.Project = reportProject_;
    for (auto& [id, object] : outcomes_) {
      placeOf.emplace(id, report.Objects.size());
      report.Objects.push_back(std::move(object));
    }
    outcomes_.clear();
  } else {
    TConvertDataModule& cv = Converter();
    report.Project = cv.ProjectName;
    for (const ObjectRef& ref : ProjectObjects()) {
      report::TReportObject object = ReportObject(ref.type, ref.name, ref.parent);
      cv.OpenObjectScript(ref.id);
      object.Source = cv.dsObjectScript.Text("SourceScript");
      if (!cv.dsObjectScript.IsNull("DestScript")) {
        object.Dest = cv.dsObjectScript.Text("DestScript");
        object.State = report::TObjectState::Converted;
      }
      cv.CloseObjectScript();
      placeOf.emplace(ref.id, report.Objects.size());
      report.Objects.push_back(std::move(object));
    }
  }
  for (AlarmRow& alarm : direct_ ? DirectAlarms() : ReadAlarms()) {
    const auto at = placeOf.find(alarm.objectId);
    if (at == placeOf.end()) continue;
    report.Objects[at->second].Warnings.push_back({std::move(alarm.text), std::move(alarm.word), alarm.line, alarm.column});
  }
  for (const Failure& failure : failures_) {
    if (failure.objectName.empty()) {
      report.Batches.push_back({failure.file, failure.line, failure.message});
      continue;
    }
    // The repository keeps no failures: this run's are the ones known.
    const std::string type = CliTypeName(failure.typeName);
    for (report::TReportObject& object : report.Objects)
      if (object.Type == type && object.Name == failure.objectName && object.State != report::TObjectState::Converted) {
        object.State = report::TObjectState::Failed;
        object.Failure = failure.message;
      }
  }
  report.Sort();
  return report;
}

int App::WriteReport(const std::string& file, int exitCode) {
  const report::TConversionReport report = MakeReport();
  WriteWholeFile(file, report::RenderHtmlReport(report));
  const report::TTypeTotals all = report.Totals().back();
  console_.Log("ambrix: wrote report " + file + " (" + std::to_string(all.Found) + " objects, " +
               std::to_string(all.Warnings) + " warnings, " + std::to_string(all.Failed) + " failed)");
  return exitCode;
}

int App::Report() {
  const std::string output = *inv_.Value("output");
  if (const std::string problem = OutputProblem(output); !problem.empty()) return UsageError(problem);
  OpenProject(inv_.args[0]);
  // What is not compiled yet is compiled first, as generate does; what fails
  // is reported here and shown in the page.
  const int exitCode = CompileAndGenerate(BaseOptions(), nullptr);
  return WriteReport(output, exitCode);
}

}  // namespace ambrix::cli
