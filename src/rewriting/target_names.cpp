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

// The reserved words are ASCII: a look-up folds ASCII letters only, in place,
// so that asking costs no copy (the DDL rules ask for every plain word).
struct TAsciiFoldHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const {
    std::size_t hash = 14695981039346656037ull;
    for (const char c : s) hash = (hash ^ static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c)) * 1099511628211ull;
    return hash;
  }
};

struct TAsciiFoldEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      const char x = a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i];
      const char y = b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i];
      if (x != y) return false;
    }
    return true;
  }
};

using TWordSet = std::unordered_set<std::string, TAsciiFoldHash, TAsciiFoldEqual>;

// The reserved words, upper case, read once from the data file.
const TWordSet& ReservedWords() {
  static const TWordSet words = [] {
    constexpr std::string_view kFile = "target_reserved_word.tsv";
    const TTsvTable table = TTsvTable::Parse(data::EmbeddedFile(kFile), kFile);
    TWordSet set;
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

bool IsTargetReservedWord(std::string_view Word) {
  if (Word.empty() || Word.size() > 32) return false;
  return ReservedWords().find(Word) != ReservedWords().end();
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
