// The command line itself: help, version, usage errors and their exit codes.

#include <gmock/gmock.h>

#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

using CommandLine = CliTest;

TEST_F(CommandLine, VersionPrintsTheVersionAndSucceeds) {
  const RunResult r = Ambrix({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, StartsWith("ambrix "));
  EXPECT_EQ(r.err, "");
}

TEST_F(CommandLine, EveryCommandHasItsHelp) {
  const std::vector<std::vector<std::string>> commands = {
      {"convert"}, {"project", "list"}, {"project", "create"}, {"project", "delete"}, {"project", "show"},
      {"import"},  {"compile"},         {"reset"},             {"generate"},         {"alarms"},
      {"show"},    {"report"}};
  for (const auto& command : commands) {
    std::vector<std::string> args = command;
    args.push_back("--help");
    const RunResult r = Ambrix(args);
    std::string name = command[0] + (command.size() > 1 ? " " + command[1] : "");
    EXPECT_EQ(r.exitCode, 0) << name;
    EXPECT_THAT(r.out, StartsWith("Usage: ambrix " + name)) << name;
    EXPECT_THAT(r.out, HasSubstr("Example:")) << name;
  }
}

TEST_F(CommandLine, OverviewListsTheCommandsAndExitCodes) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"help"}, {"-h"}}) {
    const RunResult r = Ambrix(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, HasSubstr("  convert "));
    EXPECT_THAT(r.out, HasSubstr("  project show "));
    EXPECT_THAT(r.out, HasSubstr("Exit codes:"));
  }
  EXPECT_THAT(Ambrix({"help", "generate"}).out, StartsWith("Usage: ambrix generate"));
}

TEST_F(CommandLine, UsageErrorsExitWithTwoAndAHint) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"project"}, "'project' needs a subcommand"},
      {{"project", "rename", "a"}, "unknown project subcommand 'rename'"},
      {{"convert"}, "missing arguments"},
      {{"import", "shop"}, "missing arguments"},
      {{"show", "shop", "a", "b"}, "unexpected argument 'b'"},
      {{"convert", "a.sql", "--bogus"}, "unknown option '--bogus'"},
      {{"convert", "a.sql", "-o"}, "option '-o' needs a value"},
      {{"convert", "a.sql", "--keep-going=yes"}, "option '--keep-going' takes no value"},
      {{"convert", "a.sql", "-o", "x", "-o", "y"}, "option '--output' is given twice"},
      {{"convert", "a.sql", "--types", "table,gadget"}, "unknown object type 'gadget'"},
      {{"convert", "a.sql", "--input-encoding", "ebcdic"}, "ebcdic"},
      {{"convert", "a.sql", "--output-encoding", "utf-16le"}, "utf-16le"},
      {{"import", "shop", "a.sql", "--mode", "some"}, "--mode"},
      {{"alarms", "shop", "--format", "xml"}, "--format"},
      {{"convert", "a.sql", "-j", "0"}, "--jobs is a number from 1 to 64, not '0'"},
      {{"convert", "a.sql", "--jobs", "two"}, "--jobs is a number from 1 to 64, not 'two'"},
      {{"show", "shop", "t", "--source", "--drop"}, "only one of"},
      {{"generate", "shop"}, "-o"},
      {{"project", "create", ""}, "1 to 50 characters"},
      {{"list", "--repository", "mysql://x"}, "unknown command 'list'"},
  };
  for (const Case& c : cases) {
    const RunResult r = Ambrix(c.args);
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(r.exitCode, 2) << line << "\n" << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.message)) << line;
    EXPECT_THAT(r.err, HasSubstr("Try 'ambrix")) << line;
    EXPECT_EQ(r.out, "") << line;
  }
}

TEST_F(CommandLine, BadRepositoryLocationIsARepositoryError) {
  const RunResult r = Ambrix({"project", "list", "--repository", "mysql://x/y"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("ambrix: error: Invalid repository location"));
}

}  // namespace
}  // namespace ambrix::test
