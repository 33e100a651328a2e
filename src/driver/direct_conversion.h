#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "conversion/alarm_object.h"
#include "conversion/batch_conversion.h"
#include "conversion/convert_core.h"
#include "driver/convert_data_module.h"
#include "driver/opt_add_script.h"
#include "text/text_key_map.h"

namespace ambrix {

/// The conversion of scripts in one go, without a repository: what
/// `ambrix convert` does unless it is given one. Reading a script and
/// generating the target script behave as reverse-engineering into a new
/// project of a private repository followed by a generation do (the same
/// objects, replacements, failures, log lines, callbacks and file), but the
/// objects are kept in memory, each with its key, names, a fingerprint of
/// its source and what converting it gave. Sources are kept only while an
/// object waits to be converted, and for the defaults and rules a binding may
/// read. The dialect is the one the program carries.
class TDirectConversion : public IObjectSourceLookup {
 public:
  /// `workers`: the threads that share the work, the calling thread
  /// included (0: one per core), as TConvertDataModule::Workers.
  explicit TDirectConversion(int workers);
  ~TDirectConversion() override;
  TDirectConversion(const TDirectConversion&) = delete;
  TDirectConversion& operator=(const TDirectConversion&) = delete;

  // The callbacks of TConvertDataModule, called where it calls them.
  std::function<void(const std::string& msg)> OnLog;
  std::function<void(int max)> OnProgressStart;
  std::function<void(int position)> OnProgress;
  std::function<void(const TSkippedFailure& failure)> OnSkipped;
  std::function<void(int objectId, int line)> OnScriptPlaced;
  std::function<void(const std::string& typeName, const std::string& objectName, int line)> OnObjectRead;

  /// What became of one object when it was compiled: converted (Dest holds
  /// its creation script), failed (Failure holds why), or neither (its type
  /// has no converter). The texts live only during the call.
  struct TObjectOutcome {
    int ObjectId = 0;
    std::string_view TypeName;  ///< lower case, as the repository stores it
    std::string_view ObjectName, ParentName, Source, Dest, Failure;
    bool Converted = false;
  };
  /// Called for every object compiled, again for one replaced, when set (for
  /// a report: the sources are not kept otherwise). Unset, it costs nothing.
  std::function<void(const TObjectOutcome& outcome)> OnObjectOutcome;

  /// Starts the project `name` (its name goes into the script's header).
  void Open(const std::string& name);
  /// Reads a script: TConvertDataModule::AddScript of a project opened with
  /// Open, compiling what it reads (TOptAddScript::CompileOnImport).
  void AddScript(const TOptAddScript& options);
  /// Converts what waits and writes the target script:
  /// TConvertDataModule::GenerateScript.
  void GenerateScript(const TOptAddScript& options);

  /// One warning of an object, as the repository's alarm view gives it.
  struct TAlarmRow {
    int ObjectId = 0;
    std::string TypeName;  ///< the type object's name, lower case
    std::string ObjectName;
    std::string Text;  ///< the alarm kind's text
    std::string Word;
    int Line = 0;
    int Column = 0;
  };
  /// The warnings of every object, in the order they were stored.
  std::vector<TAlarmRow> Alarms() const;

 private:
  struct TObject;
  struct TType {
    int Id = 0;
    int Num = 0;
    std::string Name;       ///< lower case, as the repository stores it
    std::string UpperName;  ///< upper case, as commands and converters name it
    bool IsIndex = false;
  };

  void Log(const std::string& line);
  int WorkerThreads() const;
  int skippedObjects_ = 0;  // the objects the last compilation passed over
  const TType& TypeOf(const std::string& typeName) const;
  // The keys of objects as the repository's index compares names (the
  // letters of Windows-1251 in any case, see StatementSet::FoldedName).
  static std::string_view Key(int typeId, long long parentId, std::string_view name);
  long long FindParent(const std::string& parentName, std::string& parentType) const;
  void StoreBatchObjects(std::vector<TBatchObject>& objects, const std::vector<int>& lineNumbers);
  void StoreResult(std::uint32_t index, TBatchObject& read, std::string_view source);
  void TellOutcome(std::uint32_t index, std::string_view source, std::string_view dest, std::string_view failure,
                   bool converted) const;
  const std::string& Source(std::uint32_t index) const;
  void CompilePending(const TOptAddScript& options);
  std::unordered_map<long long, std::string> IndexTargetNames() const;

 public:
  /// What a binding reads: the first default or rule named `objectName`.
  std::vector<std::string> OpenObjectSource(const std::string& objectName) override;

 private:

  int workers_;
  std::vector<TReservedWordRow> rows_;
  std::vector<TType> types_;
  std::unordered_map<std::string, std::pair<int, std::string>> alarms_;  // VarName (upper) -> id, text
  TConvertCore core_;
  std::string projectName_;
  TOptAddScript options_;
  std::vector<std::string> selectedTypes_;
  std::vector<TObject> objects_;  // by key - 1
  TTextKeyMap<std::uint32_t> keys_;  // Key() -> index in objects_
  std::unordered_map<std::string, int> indexNameCounts_;
  /// The first default or rule of each name (Key(0, 0, name)): what a
  /// binding reads.
  TTextKeyMap<std::uint32_t> bound_;
  /// The sources kept (see TObject::HasSource), by index in objects_.
  std::unordered_map<std::uint32_t, std::string> sources_;
  /// The alarms of the objects that have any, by index in objects_.
  std::unordered_map<std::uint32_t, TAlarmList> alarmLists_;
  /// The converted scripts, written out as they come and read back when the
  /// target script is written: the process never holds them all.
  class TSpill;
  std::unique_ptr<TSpill> spill_;
  std::vector<std::pair<std::string, int>> typeCounts_;
  long long alarmSequence_ = 0;
};

}  // namespace ambrix
