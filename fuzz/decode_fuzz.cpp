// Decoding a script file's bytes in every encoding a run accepts: no crash,
// and the text and the lines agree on what they hold.
#include <cstdlib>

#include "fuzz_common.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ambrix;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (TextEncoding encoding : {TextEncoding::Auto, TextEncoding::Utf8, TextEncoding::Windows1251, TextEncoding::Utf16LE,
                                TextEncoding::Utf16BE}) {
    try {
      const TDecodedText lines = DecodeText(bytes, encoding);
      const TDecodedScript script = DecodeScript(std::string(bytes), encoding);
      // Both readings split the same text into the same lines.
      std::size_t count = 0;
      TLineReader reader(script.Text);
      for (std::string_view line; reader.Next(line); ++count) {
        if (count >= lines.Lines.size() || line != lines.Lines[count]) std::abort();
      }
      if (count != lines.Lines.size()) std::abort();
      // Written back in the encoding it came in, the text reads the same.
      if (script.Encoding == TextEncoding::Utf8) {
        const std::string again = EncodeText(script.Text, TextEncoding::Utf8);
        if (DecodeScript(again, TextEncoding::Utf8).Text != script.Text) std::abort();
      }
    } catch (const Error&) {
      // Bytes an explicitly named encoding cannot hold: a reported error.
    }
  }
  return 0;
}
