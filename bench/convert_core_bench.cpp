// The conversion core on a generated script, without a repository: the
// script is cut into batches at GO lines, each batch is parsed and
// recognised, and each object it yields is parsed again from its own text
// and converted, as a conversion run does. The repository's part of the run
// is measured by convert_bench.sh and repository_bench.

#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "conversion/alarm_object.h"
#include "conversion/convert_core.h"
#include "conversion/convert_object.h"
#include "embedded_file.h"
#include "recognition/sql_object.h"
#include "script_generator.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/tsv_table.h"
#include "text/utf8.h"

namespace {

using namespace ambrix;

std::string Script(double megabytes) {
  std::ostringstream out;
  bench::Generator(out, 1).Run(static_cast<std::uint64_t>(megabytes * 1024 * 1024));
  return out.str();
}

// Recognises one batch and converts its objects; returns how many converted.
int ConvertBatch(TConvertCore& core, std::vector<std::string>& batch) {
  core.Parser.Parse(batch, core.Terms, core.Words);
  TSQLObjectList objects;
  const int first = core.Words.IndexOfNotType(0, {core.Context.CommentTermName});
  if (first >= 0) {
    const int command = core.Commands.IndexOfKeyTerm(core.Words.Words(first)->Term);
    if (command >= 0 && !core.Commands.Items(command).Execute(batch, core.Words, objects)) objects.Clear();
  }
  int converted = 0;
  for (int i = 0; i < objects.Count(); ++i) {
    const TSQLObject& object = objects.Items(i);
    std::vector<std::string> dest = SplitLines(std::string(Trim(JoinLines(object.Script))));
    std::vector<std::string> drop;
    TAlarmList alarms;
    try {
      core.Parser.Parse(dest, core.Terms, core.Words);
      converted += ConvertObject(core.Analizers, UpperCase(object.TypeName), object.ParentName, object.ObjectName,
                                 core.Words, dest, drop, alarms, TCompileFrame::WholeRun, {})
                       ? 1
                       : 0;
    } catch (const Error&) {
      // A bound default has no repository to read here; it fails as it would without one.
    }
  }
  core.Words.Clear();
  return converted;
}

void BM_ConvertScript(benchmark::State& state) {
  const std::string script = Script(static_cast<double>(state.range(0)) / 10.0);
  TConvertCore core;
  core.LoadTerms(ReservedWordRows(TTsvTable::Parse(data::EmbeddedFile("reserved_word.tsv"), "reserved_word.tsv"), 1));
  core.RegisterCommands();
  core.RegisterAnalizers();
  core.Analizers.BeginCompileAll();
  int converted = 0;
  for (auto _ : state) {
    converted = 0;
    TLineReader reader(script);
    std::vector<std::string> batch;
    for (std::string_view line; reader.Next(line);) {
      if (EqualsUpper(Trim(line), "GO")) {
        if (!batch.empty()) converted += ConvertBatch(core, batch);
        batch.clear();
      } else if (!line.empty()) {
        batch.emplace_back(line);
      }
    }
    if (!batch.empty()) converted += ConvertBatch(core, batch);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
  state.counters["objects"] = converted;
}
// Sizes in tenths of a megabyte: 1 MB and 5 MB.
BENCHMARK(BM_ConvertScript)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
