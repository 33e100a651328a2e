#pragma once

#include <string_view>

namespace ambrix::data {

/// The bytes of a file of data/ compiled into the program, by its base name
/// ("reserved_word.tsv"); empty when there is no such file. The text lives as
/// long as the program.
std::string_view EmbeddedFile(std::string_view name);

}  // namespace ambrix::data
