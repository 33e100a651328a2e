// What the source says is carried into the generated script as written:
// string values and comments byte for byte, names whole, and a failure is
// reported at its place in the file.

#include <gmock/gmock.h>

#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;

using TextAsWritten = CliTest;

// Each source line of a procedure body, and what its converted script must
// hold (line ends inside a value or comment become the script's CR LF).
TEST_F(TextAsWritten, ValuesCommentsAndWordsKeepEveryCharacter) {
  struct Case {
    std::string body;
    std::string expected;
  };
  const Case cases[] = {
      {"select 'a\tb'", "'a\tb'"},                              // a tab inside a value
      {"select 'a  \n  \n\nb'", "'a  \r\n  \r\n\r\nb'"},        // blanks at line ends, empty lines
      {"select 1 /* a /* b */ c */", "/* a /* b */ c */"},      // nested comments
      {"select 1 -- a\tb  \nselect 2", "-- a\tb  \r\n"},  // a line comment's tabs and blanks
      {"select 'it''s'", "'it''s'"},                            // a doubled quote
      {"update StatisticsDaily set n = 1", "update StatisticsDaily set"},  // a word that starts like a keyword
      {"delete FromList where n = 2", "delete FromList where"},
  };
  for (const Case& c : cases) {
    Write("p.sql", "create procedure p as\n" + c.body + "\nGO\n");
    const RunResult r = Ambrix({"convert", "-q", "p.sql", "-o", "out.sql"});
    ASSERT_EQ(r.exitCode, 0) << c.body << "\n" << r.err;
    EXPECT_THAT(Read(dir_ / "out.sql"), HasSubstr(c.expected)) << c.body;
  }
}

// A quote that is never closed is reported at the file line and column
// where the unfinished text starts, on either path.
TEST_F(TextAsWritten, AnUnclosedQuoteIsReportedAtItsPlaceInTheFile) {
  Write("bad.sql",
        "create table t (id int)\nGO\n"
        "create procedure p as\n"
        "begin\n"
        "  select 'never closed\n"
        "end\nGO\n");
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{}, std::vector<std::string>{"--repository", RepositoryFile()}}) {
    std::vector<std::string> args{"convert", "-q", "bad.sql", "-o", "out.sql"};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult r = Ambrix(args);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_THAT(r.err, HasSubstr("bad.sql:5:11: error: ")) << r.err;
  }
}

}  // namespace
}  // namespace ambrix::test
