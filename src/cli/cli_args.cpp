#include "cli/cli_args.h"

#include <algorithm>

namespace ambrix::cli {

namespace {

const OptionSpec kTypes{"types", 0, "LIST",
                        "object types taking part, separated by commas (default: all fourteen; see TYPES)", true};
const OptionSpec kKeepGoing{"keep-going", 'k', "",
                            "read every batch and compile every pending object, report each failure and go on; "
                            "the exit code is still 1"};
const OptionSpec kWait{"wait", 0, "SECONDS",
                       "how long to wait for another import into the same project before giving up with nothing "
                       "stored (default 600)"};
const OptionSpec kInputEncoding{"input-encoding", 0, "ENC",
                                "encoding of the input scripts: auto (default), utf-8, windows-1251, utf-16le, utf-16be"};
const OptionSpec kOutputEncoding{"output-encoding", 0, "ENC", "encoding of the generated script: utf-8 (default) or windows-1251"};
const OptionSpec kMode{"mode", 0, "MODE",
                       "objects the project already has: new (keep them), changed (replace those whose source "
                       "changed; default), all (replace every one)"};

// Options every command takes; they may stand anywhere on the line.
const std::vector<OptionSpec> kCommonOptions = {
    {"repository", 0, "LOCATION",
     "the repository: sqlite:PATH or postgresql://user@host:port/database (default: the SQLite file in "
     "$XDG_DATA_HOME/ambrix/)"},
    {"quiet", 'q', "", "no log lines and no progress bar; diagnostics and errors still go to stderr"},
    {"jobs", 'j', "N",
     "threads that share the work: one reads and writes the repository (and parses too rather than wait "
     "idle), the others parse and convert, and sort the generated script's sections (default: one per core; 1: one "
     "thread does everything); the result is the same"},
    {"help", 'h', "", "show the help of the command and exit"},
    {"version", 0, "", "show the version and exit"},
};

// The commands that set up the repository itself.
void AddRepositoryCommands(std::vector<CommandSpec>& c) {
  c.push_back({"repository init", "", "install or upgrade the repository",
               "Sets up the repository named by --repository (default: the SQLite file in\n"
               "$XDG_DATA_HOME/ambrix/): installs the schema and the dialect rows into an empty database,\n"
               "upgrades a repository an earlier version of the program made, and leaves one that is up\n"
               "to date as it is. Refuses a database that holds other tables. Safe to run again.",
               "ambrix repository init --repository postgresql://team@db.example/ambrix", 0, 0, {}});
}

std::vector<CommandSpec> MakeCommands() {
  std::vector<CommandSpec> c;
  c.push_back({"convert", "INPUT... [-o OUTPUT]", "convert SQL Server scripts to one SQL Anywhere script in one step",
               "Imports every INPUT (Transact-SQL, batches separated by GO lines) into a project, compiles every\n"
               "object and writes the target script to OUTPUT (default: the first input's name with the\n"
               "extension .asa.sql). Warnings are reported as OUTPUT:LINE:COL: warning: ... lines.\n"
               "Without --repository the work is done in a temporary in-memory repository that is gone\n"
               "afterwards; with --repository the objects stay in the project named by --project (default:\n"
               "the first input's name), which is created when missing.",
               "ambrix convert examples/pubs.sql -o pubs.asa.sql", 1, -1,
               {{"output", 'o', "OUTPUT", "the script to write"}, kTypes, kKeepGoing, kWait, kInputEncoding, kOutputEncoding,
                {"project", 0, "NAME", "with --repository: the project to work in"},
                {"report", 0, "FILE", "also write the conversion report, one HTML page, to FILE (see ambrix report --help)"}}});
  c.push_back({"project list", "", "list the projects of the repository", "Prints one line per project: its name, its dialect and its ODBC alias.", "ambrix project list", 0, 0, {}});
  c.push_back({"project create", "NAME", "create a project",
               "Creates an empty project for the source dialect (the repository's first dialect unless\n"
               "--dialect names another).",
               "ambrix project create shop", 1, 1,
               {{"dialect", 0, "NAME", "the source dialect, by name"}, {"dns", 0, "ALIAS", "ODBC alias of the target database"}}});
  c.push_back({"project delete", "NAME", "delete a project with its objects and alarms", "Deletes the project and everything stored in it.", "ambrix project delete shop", 1, 1, {}});
  c.push_back({"project show", "NAME", "show a project's objects per type",
               "Prints the project's dialect and, per object type, the number of objects, how many of them\n"
               "are compiled, and the number of warnings.",
               "ambrix project show shop", 1, 1, {}});
  c.push_back({"import", "PROJECT FILE...", "read scripts into a project",
               "Splits each FILE into batches at GO lines, recognises the objects the batches create and\n"
               "stores those of the chosen types in PROJECT. Stops at the first batch that fails unless\n"
               "--keep-going is given.",
               "ambrix import shop examples/demo.sql --mode all", 2, -1, {kMode, kTypes, kKeepGoing, kWait, kInputEncoding}});
  c.push_back({"compile", "PROJECT [OBJECT...]", "convert objects of a project",
               "Compiles the named objects, or, with none named, every object of the chosen types that is not\n"
               "compiled yet. An OBJECT is a name, or TYPE:NAME when several objects share the name.\n"
               "Stops at the first failure unless --keep-going is given.",
               "ambrix compile shop Customer trigger:trProduct_NoDelete", 1, -1, {kTypes, kKeepGoing}});
  c.push_back({"reset", "PROJECT", "forget the compilation results of a project",
               "Resets the compilation results of every object of the project, or of one type, so that the\n"
               "next compile or generate converts them again.",
               "ambrix reset shop --type view", 1, 1, {{"type", 0, "TYPE", "only the objects of this type"}}});
  c.push_back({"generate", "PROJECT -o FILE", "write the target script of a project",
               "Compiles the pending objects of the chosen types, then writes the target script: the drop\n"
               "scripts, then the creation scripts. Warnings are reported as FILE:LINE:COL: warning: ... lines.",
               "ambrix generate shop -o shop.asa.sql", 1, 1,
               {{"output", 'o', "FILE", "the script to write (required)"}, kTypes, kKeepGoing, kOutputEncoding}});
  c.push_back({"alarms", "PROJECT", "list the warnings of a project's compiled objects",
               "Prints every warning with its object, its line and column in the object's converted script\n"
               "and the word it is about.",
               "ambrix alarms shop --format csv", 1, 1,
               {{"format", 0, "FORMAT", "text (default), csv or json"}}});
  c.push_back({"report", "PROJECT -o FILE", "write a project's conversion report as one HTML page",
               "Compiles the pending objects of PROJECT (a failure is shown in the report, not an end), then\n"
               "writes FILE: one HTML page that needs nothing else (no network, no server) with the objects\n"
               "per type (found, converted, failed, with warnings) and a bar each, the warnings in a table\n"
               "filtered by kind and object type, and each object's source and converted script side by\n"
               "side with the warned words marked; a warning's link opens its object at the word.\n"
               "`ambrix convert ... --report FILE` writes the same page for the objects it converts.",
               "ambrix report shop -o shop-report.html", 1, 1,
               {{"output", 'o', "FILE", "the page to write (required)"}}});
  c.push_back({"show", "PROJECT OBJECT", "print one object's scripts",
               "Prints the converted creation script of an object (compiling it first when it is not compiled\n"
               "yet), or its source or drop script. An OBJECT is a name, or TYPE:NAME.",
               "ambrix show shop Customer --source", 2, 2,
               {{"source", 0, "", "the source script"}, {"dest", 0, "", "the converted creation script (default)"},
                {"drop", 0, "", "the drop script"}}});
  AddRepositoryCommands(c);
  return c;
}

const OptionSpec* FindOption(const CommandSpec* command, const std::string& name, char shortName) {
  auto matches = [&](const OptionSpec& o) { return shortName ? o.shortName == shortName : o.name == name; };
  for (const OptionSpec& o : kCommonOptions)
    if (matches(o)) return &o;
  if (command)
    for (const OptionSpec& o : command->options)
      if (matches(o)) return &o;
  return nullptr;
}

const CommandSpec* FindCommand(const std::string& name) {
  for (const CommandSpec& c : Commands())
    if (c.name == name) return &c;
  return nullptr;
}

std::string OptionLabel(const OptionSpec& o) {
  std::string label = o.shortName ? std::string("-") + o.shortName + ", " : "    ";
  label += "--" + o.name;
  if (!o.valueName.empty()) label += " " + o.valueName;
  return label;
}

void AppendOptions(std::string& out, const std::vector<OptionSpec>& options) {
  std::size_t width = 0;
  for (const OptionSpec& o : options) width = std::max(width, OptionLabel(o).size());
  for (const OptionSpec& o : options) {
    const std::string label = OptionLabel(o);
    out += "  " + label + std::string(width - label.size() + 2, ' ') + o.help + "\n";
  }
}

const char kTypesHelp[] =
    "TYPES: table, view, procedure, function, trigger, index, default, rule, domain, primary-key,\n"
    "  unique, foreign-key, check, default-constraint (the repository's names, such as\n"
    "  \"constraint primary key\", are accepted too).\n";

// The words that name a group of commands ("project list", "repository init").
bool IsCommandGroup(const std::string& word) { return word == "project" || word == "repository"; }

// The subcommands of a group, for the usage error that names them.
std::string Subcommands(const std::string& group) {
  std::vector<std::string> names;
  for (const CommandSpec& c : Commands())
    if (c.name.rfind(group + " ", 0) == 0) names.push_back(c.name.substr(group.size() + 1));
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  return list;
}

bool TakesTypes(const CommandSpec& command) {
  return std::any_of(command.options.begin(), command.options.end(),
                     [](const OptionSpec& o) { return o.name == "types" || o.name == "type"; });
}

}  // namespace

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = MakeCommands();
  return commands;
}

std::optional<std::string> Invocation::Value(const std::string& name) const {
  const auto it = options.find(name);
  if (it == options.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
  ParseResult result;
  Invocation& inv = result.invocation;
  std::vector<std::string> words;  // the command name(s) and its arguments
  bool optionsEnded = false;
  // The command is known once its name is read; options before it may only be common ones.
  auto command = [&]() -> const CommandSpec* {
    if (words.empty()) return nullptr;
    if (IsCommandGroup(words[0])) return words.size() >= 2 ? FindCommand(words[0] + " " + words[1]) : nullptr;
    return FindCommand(words[0]);
  };
  auto fail = [&](const std::string& message) {
    result.error = message;
    inv.command = command();
    return result;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::vector<std::pair<const OptionSpec*, std::string>> found;  // option, its spelling
    std::optional<std::string> inlineValue;
    if (arg[1] == '-') {
      std::string name = arg.substr(2);
      const std::size_t eq = name.find('=');
      if (eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name.resize(eq);
      }
      const OptionSpec* o = FindOption(command(), name, 0);
      if (!o) return fail("unknown option '--" + name + "'");
      found.push_back({o, "--" + name});
    } else {
      // Short options may be grouped (-qk); a value may follow at once (-oFILE).
      for (std::size_t k = 1; k < arg.size(); ++k) {
        const OptionSpec* o = FindOption(command(), "", arg[k]);
        if (!o) return fail(std::string("unknown option '-") + arg[k] + "'");
        found.push_back({o, std::string("-") + arg[k]});
        if (!o->valueName.empty()) {
          if (k + 1 < arg.size()) inlineValue = arg.substr(k + 1);
          break;
        }
      }
    }
    for (const auto& [o, spelling] : found) {
      std::string value;
      if (!o->valueName.empty()) {
        if (inlineValue) {
          value = *inlineValue;
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          return fail("option '" + spelling + "' needs a value (" + o->valueName + ")");
        }
      } else if (inlineValue) {
        return fail("option '" + spelling + "' takes no value");
      }
      auto& values = inv.options[o->name];
      if (!values.empty() && !o->repeatable && !o->valueName.empty() && values.back() != value)
        return fail("option '--" + o->name + "' is given twice");
      values.push_back(value);
    }
  }

  inv.help = inv.Has("help");
  inv.version = inv.Has("version");
  // `ambrix help [COMMAND...]` is `ambrix COMMAND --help`.
  if (!words.empty() && words[0] == "help") {
    words.erase(words.begin());
    inv.help = true;
  }
  if (words.empty()) {
    if (inv.help || inv.version) return result;
    return fail("no command given");
  }
  inv.command = command();
  if (!inv.command) {
    if (IsCommandGroup(words[0])) {
      if (words.size() < 2) {
        if (inv.help) return result;
        return fail("'" + words[0] + "' needs a subcommand: " + Subcommands(words[0]));
      }
      return fail("unknown " + words[0] + " subcommand '" + words[1] + "'");
    }
    return fail("unknown command '" + words[0] + "'");
  }
  if (inv.help || inv.version) return result;
  const std::size_t nameWords = IsCommandGroup(words[0]) ? 2 : 1;
  inv.args.assign(words.begin() + static_cast<std::ptrdiff_t>(nameWords), words.end());
  const int count = static_cast<int>(inv.args.size());
  if (count < inv.command->minArgs) return fail("missing arguments: " + inv.command->synopsis);
  if (inv.command->maxArgs >= 0 && count > inv.command->maxArgs)
    return fail("unexpected argument '" + inv.args[static_cast<std::size_t>(inv.command->maxArgs)] + "'");
  return result;
}

std::string OverviewHelp() {
  std::string out =
      "Usage: ambrix COMMAND [ARGUMENTS] [OPTIONS]\n"
      "\n"
      "Converts Microsoft SQL Server 2000 DDL scripts (Transact-SQL) to Sybase SQL Anywhere 9\n"
      "(Watcom-SQL). `convert` does the whole job in one step; the other commands work on projects\n"
      "kept in a repository.\n"
      "\n"
      "Commands:\n";
  std::size_t width = 0;
  for (const CommandSpec& c : Commands()) width = std::max(width, c.name.size());
  for (const CommandSpec& c : Commands()) out += "  " + c.name + std::string(width - c.name.size() + 2, ' ') + c.summary + "\n";
  out += "\nOptions of every command:\n";
  AppendOptions(out, kCommonOptions);
  out +=
      "\n"
      "Exit codes: 0 done; 1 done, but some objects or batches failed (with --keep-going);\n"
      "2 wrong command line; 3 an input, output or repository error, or the first failure\n"
      "without --keep-going (nothing is written then).\n"
      "\n"
      "Run 'ambrix COMMAND --help' for the help of a command.\n";
  return out;
}

std::string CommandHelp(const CommandSpec& command) {
  std::string out = "Usage: ambrix " + command.name;
  if (!command.synopsis.empty()) out += " " + command.synopsis;
  out += " [OPTIONS]\n\n" + command.description + "\n";
  if (!command.options.empty()) {
    out += "\nOptions:\n";
    AppendOptions(out, command.options);
  }
  out += "\nOptions of every command:\n";
  AppendOptions(out, kCommonOptions);
  if (TakesTypes(command)) out += "\n" + std::string(kTypesHelp);
  out += "\nExample:\n  " + command.example + "\n";
  return out;
}

std::string UsageHint(const CommandSpec* command) {
  return command ? "Try 'ambrix " + command->name + " --help'." : "Try 'ambrix --help'.";
}

}  // namespace ambrix::cli
