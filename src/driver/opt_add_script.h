#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambrix {

/// Treatment of the objects a project already has, in reverse-engineering.
/// Any other value of `TOptAddScript::Mode` behaves as amUpdateAll.
enum : std::uint8_t {
  amOnlyNew = 0,        ///< add only new objects
  amUpdateChanged = 1,  ///< replace an object only when its source changed
  amUpdateAll = 2,      ///< replace every existing object
};

/// The options of one reverse-engineering or generation run: the script file
/// (read or written), which object types take part, and the mode (used by
/// reverse-engineering only). Plain data; the options dialog starts with
/// every type chosen and `amUpdateChanged`.
struct TOptAddScript {
  std::string FileName;
  bool WithDefault = false;
  bool WithRule = false;
  bool WithDomain = false;
  bool WithTable = false;
  bool WithView = false;
  bool WithProcedure = false;
  bool WithFunction = false;
  bool WithPrimaryKey = false;
  bool WithConstraintDefault = false;
  bool WithCheck = false;
  bool WithUnique = false;
  bool WithForeignKey = false;
  bool WithIndex = false;
  bool WithTrigger = false;
  std::uint8_t Mode = amUpdateChanged;
  /// The encoding of the script file reverse-engineering reads, by name
  /// ("utf-8", "windows-1251", "utf-16le", "utf-16be"); empty: a byte-order
  /// mark decides, else valid UTF-8 is UTF-8 and anything else Windows-1251.
  std::string InputEncoding;
  /// The encoding of the generated script: empty or "utf-8", or "windows-1251".
  std::string OutputEncoding;
  /// A batch that fails (reverse-engineering) or an object that fails to
  /// compile (generation) is logged, reported through `OnSkipped` and passed
  /// over, instead of ending the run. Repository failures still end it.
  bool KeepGoing = false;
  /// Reverse-engineering also compiles each object it stores, while the
  /// script is read (on the workers that parse it), so that a generation run
  /// that follows finds little left to compile. An object whose conversion
  /// reads the repository (a bound default), fails, raises an alarm of a kind
  /// the dialect lacks, or whose stored names differ from those in the script
  /// is left to the compilation run, which reports its failure as always. The
  /// stored results are those a compilation run would store.
  bool CompileOnImport = false;
  /// Files the generated script is never written over (compared as files,
  /// not as names): the scripts of the run. A file repository's own file is
  /// kept without being named here.
  std::vector<std::string> KeptFiles;

  /// Sets every type flag.
  void SelectAllTypes();
  /// Whether any type flag is set.
  bool AnyType() const;
};

/// The type object names the set flags select, upper case, in declaration
/// order (`WithDefault` "DEFAULT" first, `WithTrigger` "TRIGGER" last): the
/// types reverse-engineering stores.
std::vector<std::string> SelectedTypeNames(const TOptAddScript& options);

/// The type list of generation and of the repository's run-time statements:
/// the quoted lower-case names of the set flags separated by a comma and a
/// blank, in the order default, rule, domain, table, constraint primary key,
/// constraint default, constraint rule, constraint unique, constraint foreign
/// key, index, trigger, view, procedure, function. Empty with no flag set.
std::string TypeList(const TOptAddScript& options);

/// The flag that selects the type object named `typeName` (lower-case
/// repository name such as "constraint primary key", compared ignoring case);
/// null when no flag selects such a type.
bool* FlagOfType(TOptAddScript& options, std::string_view typeName);

}  // namespace ambrix
