#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ambrix::cli {

/// Exit codes of the `ambrix` command.
enum ExitCode : int {
  kExitOk = 0,             ///< done
  kExitObjectsFailed = 1,  ///< done, but some objects failed to convert
  kExitUsage = 2,          ///< the command line is wrong
  kExitError = 3,          ///< an input, output or repository error
};

/// One option a command accepts.
struct OptionSpec {
  std::string name;         ///< long name without dashes ("types")
  char shortName = 0;       ///< 0: none
  std::string valueName;    ///< empty: a flag; else the value's name in help ("LIST")
  std::string help;
  bool repeatable = false;  ///< may be given more than once (values collect)
};

/// A command (or project subcommand) with its help.
struct CommandSpec {
  std::string name;       ///< "convert", "project list", ...
  std::string synopsis;   ///< arguments after the name, for the usage line
  std::string summary;    ///< one line for the overview
  std::string description;
  std::string example;
  int minArgs = 0;
  int maxArgs = 0;        ///< -1: no limit
  std::vector<OptionSpec> options;
};

/// The commands in the order the overview lists them.
const std::vector<CommandSpec>& Commands();

/// What the command line asks for.
struct Invocation {
  const CommandSpec* command = nullptr;  ///< null with --version or a bare --help
  std::vector<std::string> args;
  /// Option values by long name; a flag has one empty value per use.
  std::map<std::string, std::vector<std::string>> options;
  bool help = false;
  bool version = false;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  /// The last value given for `name`.
  std::optional<std::string> Value(const std::string& name) const;
};

/// The result of parsing: an invocation, or the message of a usage error.
struct ParseResult {
  Invocation invocation;
  std::string error;  ///< empty when the command line is good
};

/// Parses argv[1..]. Options that every command takes (--repository, -q,
/// --help, --version) may stand anywhere; "--" ends the options.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

/// The overview (`ambrix --help`).
std::string OverviewHelp();
/// The help of one command.
std::string CommandHelp(const CommandSpec& command);
/// The one-line hint printed after a usage error.
std::string UsageHint(const CommandSpec* command);

}  // namespace ambrix::cli
