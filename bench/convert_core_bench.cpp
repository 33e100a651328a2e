// The conversion core on a generated script, without a repository: the
// script is cut into batches at GO lines and each batch is read as a
// conversion run reads it: parsed once, recognised, and the objects it yields
// converted. Each thread has its own core, as the workers of a run do; the
// "MB/s/thread" counter is what one thread gets through. The rest of a run
// (ordering, writing the file) is measured by convert_bench.sh.

#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "conversion/batch_conversion.h"
#include "conversion/convert_core.h"
#include "embedded_file.h"
#include "script_generator.h"
#include "text/encoding.h"
#include "text/string_helpers.h"
#include "text/tsv_table.h"
#include "text/utf8.h"

namespace {

using namespace ambrix;

const std::string& Script(std::int64_t tenthsOfMegabyte) {
  // Made once per size and shared by the threads: generating it is not measured.
  static std::map<std::int64_t, std::string> scripts;
  static std::mutex lock;
  const std::lock_guard guard(lock);
  std::string& script = scripts[tenthsOfMegabyte];
  if (script.empty()) {
    std::ostringstream out;
    bench::Generator(out, 1).Run(static_cast<std::uint64_t>(tenthsOfMegabyte) * 1024 * 1024 / 10);
    script = out.str();
  }
  return script;
}

std::unique_ptr<TConvertCore> MakeCore() {
  static std::mutex lock;  // the embedded tables are read by one thread at a time
  const std::lock_guard guard(lock);
  auto core = std::make_unique<TConvertCore>();
  core->LoadTerms(ReservedWordRows(TTsvTable::Parse(data::EmbeddedFile("reserved_word.tsv"), "reserved_word.tsv"), 1));
  core->RegisterCommands();
  core->RegisterAnalizers();
  core->Analizers.BeginCompileAll();
  return core;
}

// Every type a script can declare is read and converted.
const std::vector<std::string> kAllTypes = {"DEFAULT",
                                            "RULE",
                                            "DOMAIN",
                                            "TABLE",
                                            "VIEW",
                                            "PROCEDURE",
                                            "FUNCTION",
                                            "CONSTRAINT PRIMARY KEY",
                                            "CONSTRAINT DEFAULT",
                                            "CONSTRAINT RULE",
                                            "CONSTRAINT UNIQUE",
                                            "CONSTRAINT FOREIGN KEY",
                                            "INDEX",
                                            "TRIGGER"};

// Reads one batch; returns how many of its objects converted.
int ReadOne(TConvertCore& core, std::vector<std::string>& batch) {
  std::vector<TBatchObject> objects;
  ReadBatch(core, TCompileFrame::WholeRun, batch, kAllTypes, true, objects, [](const std::string&) {});
  int converted = 0;
  for (const TBatchObject& object : objects) converted += object.Converted ? 1 : 0;
  return converted;
}

void BM_ConvertScript(benchmark::State& state) {
  const std::string& script = Script(state.range(0));
  const std::unique_ptr<TConvertCore> core = MakeCore();
  int converted = 0;
  for (auto _ : state) {
    converted = 0;
    TLineReader reader(script);
    std::vector<std::string> batch;
    for (std::string_view line; reader.Next(line);) {
      if (EqualsUpper(Trim(line), "GO")) {
        if (!batch.empty()) converted += ReadOne(*core, batch);
        batch.clear();
      } else if (!line.empty()) {
        batch.emplace_back(line);
      }
    }
    if (!batch.empty()) converted += ReadOne(*core, batch);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
  state.counters["objects"] = benchmark::Counter(converted, benchmark::Counter::kAvgThreads);
  state.counters["MB/s/thread"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(script.size()) / (1024.0 * 1024.0),
      benchmark::Counter::kIsRate | benchmark::Counter::kAvgThreads);
}
// Sizes in tenths of a megabyte: 1 MB and 5 MB, on one thread and on two.
BENCHMARK(BM_ConvertScript)->Arg(10)->Arg(50)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
