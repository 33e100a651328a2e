// Cutting a script into batches and parsing each with the dialect's terms:
// either a parse result or the parser's own error, never a crash or a hang.
#include "fuzz_common.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ambrix;
  TConvertCore& core = fuzz::Core();
  for (std::vector<std::string>& batch : fuzz::Batches(fuzz::Text(data, size))) {
    try {
      core.Parser.Parse(batch, core.Terms, core.Words);
      // The editable text of the parse prints again.
      core.Words.BuildText(0);
      std::vector<std::string> printed;
      core.Words.TextList->PrintAll(printed);
    } catch (const Error&) {
    }
    core.Words.Clear();
  }
  return 0;
}
