#pragma once
// The converter core loaded with the real Transact-SQL dialect rows of
// data/reserved_word.tsv, as a project opens it, plus an in-memory table of
// stored object sources standing in for the repository. For tests that
// convert objects the way compilation does.
//
//   ambrix::testing::DialectCore dialect;          // terms loaded
//   ambrix::TParserWordList words;
//   dialect.Parse({"create table t (a int)"}, words);

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/convert_core.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "text/tsv_table.h"
#include "text/utf8.h"

#ifndef AMBRIX_SOURCE_DIR
#error "AMBRIX_SOURCE_DIR must name the source tree (the test CMake helper defines it)"
#endif

namespace ambrix::testing {

/// Stored object sources by name (compared ignoring case), for the bound
/// default lookup.
class MemorySources : public IObjectSourceLookup {
 public:
  void Add(const std::string& name, std::vector<std::string> lines) { sources_[UpperCase(name)] = std::move(lines); }
  std::vector<std::string> OpenObjectSource(const std::string& objectName) override {
    auto it = sources_.find(UpperCase(objectName));
    return it == sources_.end() ? std::vector<std::string>{} : it->second;
  }

 private:
  std::map<std::string, std::vector<std::string>> sources_;
};

/// The text of a file of the source tree, or an exception naming it.
inline std::string ReadSourceFile(const std::string& relativePath) {
  const std::string path = std::string(AMBRIX_SOURCE_DIR) + "/" + relativePath;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

/// The core with the real dialect's terms and the memory sources plugged in.
struct DialectCore {
  std::unique_ptr<TConvertCore> Core = std::make_unique<TConvertCore>();
  MemorySources Sources;

  DialectCore() {
    const TTsvTable table = TTsvTable::Parse(ReadSourceFile("data/reserved_word.tsv"), "reserved_word.tsv");
    Core->LoadTerms(ReservedWordRows(table, 1));
    Core->Context.Sources = &Sources;
  }

  const TConvertContext& Context() const { return Core->Context; }

  /// Parses `lines` into `result` with the dialect's terms.
  void Parse(std::vector<std::string> lines, TParserWordList& result) {
    Core->Parser.Parse(lines, Core->Terms, result);
  }

  /// Prints the editable text of `words`.
  static std::vector<std::string> Print(TParserWordList& words) {
    std::vector<std::string> lines;
    if (words.RootTextList() != nullptr) words.RootTextList()->PrintAll(lines);
    return lines;
  }
};

}  // namespace ambrix::testing
