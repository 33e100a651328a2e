#pragma once
// Statement recognition over the real parser: a term list shaped like the
// dialect (structural rows, the eighteen command statements, the constraint
// words), the eighteen commands registered in their order, and a helper that
// treats one batch the way reverse-engineering does.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "../support/test_terms.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "recognition/commands.h"
#include "text/encoding.h"
#include "text/error.h"

namespace ambrix::testing {

/// An object record as plain values, for comparing with expectations.
struct Record {
  std::string Type;
  std::string Name;
  std::string Parent;
  std::vector<std::string> Script;

  friend bool operator==(const Record&, const Record&) = default;
  friend void PrintTo(const Record& r, std::ostream* os) {
    *os << "{" << r.Type << ", " << r.Name << ", parent " << r.Parent << ", script";
    for (const auto& line : r.Script) *os << " |" << line << "|";
    *os << "}";
  }
};

/// The message of the ambrix::Error that `action` raises, or "" when it
/// raises none.
template <class Action>
std::string MessageOf(Action&& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

inline std::vector<Record> Records(const TSQLObjectList& objects) {
  std::vector<Record> out;
  for (int i = 0; i < objects.Count(); ++i) {
    const TSQLObject& o = objects.Items(i);
    out.push_back({o.TypeName, o.ObjectName, o.ParentName, o.Script});
  }
  return out;
}

class Recognition : public ::testing::Test {
 protected:
  Recognition() : dialect(MakeTestTerms()) {
    AddRecognitionRows(*dialect.Terms);
    AddDialectRow(*dialect.Terms, "DML", "INSERT", "", true, true);  // a statement no command handles
    context = dialect.Context();
    RegisterCommands(commands);
  }

  /// Parses `text` as one batch into `words` and `lines`.
  void Parse(const std::string& text) {
    lines = SplitLines(text);
    dialect.Parse(lines, words);
  }

  /// The records of one batch, found as reverse-engineering finds them: the
  /// command bound to the batch's first DML word runs over it. Fails the test
  /// when no command handles the batch.
  std::vector<Record> Recognise(const std::string& text) {
    Parse(text);
    TSQLObjectList objects;
    const int key = words.IndexOfType(0, "DML");
    const int command = key < 0 ? -1 : commands.IndexOfKeyTerm(words[key]->Term);
    if (command < 0) {
      ADD_FAILURE() << "no command for: " << text;
      return {};
    }
    EXPECT_TRUE(commands.Items(command).Execute(lines, words, objects));
    return Records(objects);
  }

  /// The message of the failure that recognising `text` raises, or "" when
  /// it raises none.
  std::string Failure(const std::string& text) {
    return MessageOf([&] { Recognise(text); });
  }

  TestTerms dialect;
  TConvertContext context;
  TCommandList commands{context};
  std::vector<std::string> lines;
  TParserWordList words;
};

}  // namespace ambrix::testing
