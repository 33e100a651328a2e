#pragma once
// Runs rewrite rules over a text parsed with the real dialect and returns the
// printed result, lines joined by LF.

#include <functional>
#include <string>
#include <vector>

#include "../support/dialect_core.h"
#include "parser/parser_word_list.h"
#include "text/error.h"

namespace ambrix::testing {

using TRuleCall = std::function<void(const TConvertContext&, TParserWordList&)>;

struct RuleRun {
  std::string Text;   ///< the printed text after the rule (also after a failure)
  std::string Error;  ///< the failure's message, empty when none
};

inline RuleRun RunRule(DialectCore& dialect, const std::vector<std::string>& lines, const TRuleCall& rule) {
  TParserWordList words;
  dialect.Parse(lines, words);
  words.BuildText(0);
  RuleRun run;
  try {
    rule(dialect.Context(), words);
  } catch (const Error& e) {
    run.Error = e.what();
  }
  for (const std::string& line : DialectCore::Print(words)) run.Text += (run.Text.empty() ? "" : "\n") + line;
  return run;
}

}  // namespace ambrix::testing
