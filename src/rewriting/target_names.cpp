#include "rewriting/target_names.h"

#include <string>
#include <unordered_set>

#include "embedded_file.h"
#include "rewriting/rule_conventions.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/tsv_table.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// The reserved words, upper case, read once from the data file.
const std::unordered_set<std::string>& ReservedWords() {
  static const std::unordered_set<std::string> words = [] {
    constexpr std::string_view kFile = "target_reserved_word.tsv";
    const TTsvTable table = TTsvTable::Parse(data::EmbeddedFile(kFile), kFile);
    std::unordered_set<std::string> set;
    for (int row = 0; row < table.RowCount(); ++row) set.insert(UpperCase(table.Text(row, "Word")));
    return set;
  }();
  return words;
}

bool IsIdentifierStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '@' || c == '#' || c >= 0x80;
}

bool IsIdentifierPart(unsigned char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9') || c == '$'; }

}  // namespace

const std::vector<std::string>& TargetReservedWords() {
  static const std::vector<std::string> words(ReservedWords().begin(), ReservedWords().end());
  return words;
}

bool IsTargetReservedWord(std::string_view Word) {
  if (Word.empty() || Word.size() > 32) return false;
  return ReservedWords().count(UpperCase(Word)) != 0;
}

bool IsRegularIdentifier(std::string_view Name) {
  if (Name.empty() || !IsIdentifierStart(static_cast<unsigned char>(Name[0]))) return false;
  for (std::size_t i = 1; i < Name.size(); ++i)
    if (!IsIdentifierPart(static_cast<unsigned char>(Name[i]))) return false;
  return true;
}

bool TargetNameNeedsQuotes(std::string_view Name) { return !IsRegularIdentifier(Name) || IsTargetReservedWord(Name); }

std::string TargetName(const std::string& Name) {
  return TargetNameNeedsQuotes(Name) ? BracketedName(Name) : Name;
}

}  // namespace ambrix
