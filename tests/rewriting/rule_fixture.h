#pragma once
// Runs rewrite rules on texts parsed with the dialect of data/ and prints the
// result, as an analyzer does.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../support/dialect_core.h"
#include "parser/parser_text_word_list.h"
#include "recognition/convert_context.h"

namespace ambrix {

class RuleTest : public ::testing::Test {
 protected:
  using Rule = std::function<void(const TConvertContext&, TParserWordList&)>;

  /// Parses `lines` and builds their editable text.
  TParserWordList& Parse(std::vector<std::string> lines) {
    dialect.Parse(std::move(lines), words);
    words.BuildText(0);
    return words;
  }

  std::vector<std::string> Print() {
    std::vector<std::string> out;
    words.RootTextList()->PrintAll(out);
    return out;
  }

  /// The printed text of `lines` after `rules`, in order.
  std::vector<std::string> Apply(std::vector<std::string> lines, std::initializer_list<Rule> rules) {
    Parse(std::move(lines));
    for (const Rule& rule : rules) rule(dialect.Context(), words);
    return Print();
  }

  /// The same for one line of text printed on one line.
  std::string ApplyLine(const std::string& line, std::initializer_list<Rule> rules) {
    return Joined(Apply({line}, rules));
  }

  /// The printed text of `lines` after `rule`, its lines joined by LF.
  std::string ApplyText(std::vector<std::string> lines, const Rule& rule) { return Joined(Apply(std::move(lines), {rule})); }

  /// The message of the error `rule` raises on `lines` (empty when none), and
  /// the printed text as the rule left it, lines joined by LF.
  std::pair<std::string, std::string> FailureOf(std::vector<std::string> lines, const Rule& rule) {
    Parse(std::move(lines));
    std::string error;
    try {
      rule(dialect.Context(), words);
    } catch (const Error& e) {
      error = e.what();
    }
    return {error, Joined(Print())};
  }

  static std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) joined += (i ? "\n" : "") + lines[i];
    return joined;
  }

  /// The message of the error `rule` raises on `line`; empty when none.
  std::string ErrorOf(const std::string& line, const Rule& rule) {
    Parse({line});
    try {
      rule(dialect.Context(), words);
    } catch (const Error& e) {
      return e.what();
    }
    return {};
  }

  testing::DialectCore dialect;
  TParserWordList words;
};

}  // namespace ambrix
