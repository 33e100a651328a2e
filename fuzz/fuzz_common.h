// What the fuzz targets share: the input cut into batch lines as a script
// file is cut, and a conversion core loaded with the embedded dialect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/convert_core.h"
#include "embedded_file.h"
#include "recognition/batch_statements.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/tsv_table.h"

namespace ambrix::fuzz {

/// The batches of a script's text: its lines, cut at GO lines as a run cuts
/// a file (the GO lines themselves belong to no batch).
inline std::vector<std::vector<std::string>> Batches(std::string_view text) {
  std::vector<std::vector<std::string>> batches(1);
  TLineReader reader(text);
  for (std::string_view line; reader.Next(line);) {
    if (IsBatchEnd(line)) {
      if (!batches.back().empty()) batches.emplace_back();
    } else {
      batches.back().emplace_back(line);
    }
  }
  if (batches.back().empty()) batches.pop_back();
  return batches;
}

/// The bytes as UTF-8 text: what a run reads after decoding (bytes that are
/// not UTF-8 are read as Windows-1251, as a run reads them). Bytes a run
/// refuses (a UTF-8 byte-order mark before bad UTF-8) give no text: the
/// refusal is the program's own report, tried by the decoding target.
inline std::string Text(const std::uint8_t* data, std::size_t size) {
  try {
    return DecodeScript(std::string(reinterpret_cast<const char*>(data), size)).Text;
  } catch (const Error&) {
    return {};
  }
}

/// One core per process, made on first use: the dialect is the embedded one.
inline TConvertCore& Core() {
  static const std::unique_ptr<TConvertCore> core = [] {
    auto c = std::make_unique<TConvertCore>();
    c->LoadTerms(ReservedWordRows(
        TTsvTable::Parse(data::EmbeddedFile("reserved_word.tsv"), "reserved_word.tsv"), 1));
    c->RegisterCommands();
    c->RegisterAnalizers();
    c->Analizers.BeginCompileAll();
    return c;
  }();
  return *core;
}

}  // namespace ambrix::fuzz
