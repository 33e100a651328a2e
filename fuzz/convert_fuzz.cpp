// A script's batches read as a conversion run reads them: parsed, their
// statements recognised, every object converted. Errors are the program's
// own reports; anything else (a crash, a sanitizer report, a hang) is a fault.
#include "conversion/batch_conversion.h"
#include "fuzz_common.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ambrix;
  TConvertCore& core = fuzz::Core();
  // Every type a converter is registered for is read and converted.
  static const std::vector<std::string> kAllTypes = [&core] {
    std::vector<std::string> types;
    for (int i = 0; i < core.Analizers.Count(); ++i) types.push_back(core.Analizers.Items(i).GetTypeName());
    return types;
  }();
  for (std::vector<std::string>& batch : fuzz::Batches(fuzz::Text(data, size))) {
    std::vector<TBatchObject> objects;
    try {
      ReadBatch(core, TCompileFrame::WholeRun, batch, kAllTypes, true, objects, [](const std::string&) {});
    } catch (const Error&) {
    }
  }
  return 0;
}
