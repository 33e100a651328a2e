#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "conversion/convert_core.h"
#include "driver/data_set.h"
#include "driver/opt_add_script.h"
#include "driver/repository.h"
#include "text/error.h"
#include "recognition/convert_context.h"
#include "text/encoding.h"
#include "text/text_key_map.h"

namespace ambrix {

class TAlarmList;

/// The converter object: the repository connection with every result set and
/// command, and, for the open project, the conversion machinery of its
/// dialect (term list, parser, command and analyzer registries). The program
/// makes one and passes it to whatever needs it; nothing here is global.
///
/// Result sets and commands are public members under their repository names
/// (`dsTreeObject`, `cmdScriptAppend`, ...), so views bind to them directly.
/// Every operation runs to its end on the calling thread; the callbacks are
/// called synchronously from inside the operations and must not start
/// another one.
/// A failure that a run with `TOptAddScript::KeepGoing` passed over.
struct TSkippedFailure {
  /// Reverse-engineering: the 1-based line of the script file where the
  /// failed batch starts. Generation: 0.
  int Line = 0;
  /// Generation: the object that failed to compile and its type. Empty for a batch.
  std::string ObjectName;
  std::string TypeName;
  std::string Message;  ///< the failure's message
  /// The 1-based column in `Line` where the failure was found; 0: the line
  /// is where the batch starts, no place inside it is known.
  int Col = 0;
};

/// The failure of the batch that starts at file line `firstLine`. When the
/// error names a place inside the batch (a quote or bracket never closed),
/// the failure names that place: `lineNumbers` gives the file line of each
/// line of the batch (empty: the lines follow each other from `firstLine`).
TSkippedFailure BatchFailure(int firstLine, const std::vector<int>& lineNumbers, const Error& error);

/// The stored form of script lines (a destination or drop script): each line
/// followed by CR LF.
QString StoredScript(const std::vector<std::string>& lines);

class TConvertDataModule : public IObjectSourceLookup {
 public:
  /// Connects to the repository (a SQLite repository is created on first
  /// use) and opens the dialect and project lists. Throws
  /// ambrix::RepositoryError when that fails; the caller reports it (the
  /// window: "Не возможно инициализировать конвертор") and gives up.
  explicit TConvertDataModule(const RepositoryLocation& location);
  /// The same over a repository already connected.
  explicit TConvertDataModule(std::unique_ptr<Repository> repository);
  ~TConvertDataModule() override;
  TConvertDataModule(const TConvertDataModule&) = delete;
  TConvertDataModule& operator=(const TConvertDataModule&) = delete;

  Repository& repository() { return *repository_; }

 private:
  std::unique_ptr<Repository> repository_;  // first: the statements below refer to it

 public:
  // --- Callbacks; each may be left empty. ---------------------------------
  std::function<void(const std::string& msg)> OnLog;  ///< one log line; empty: a blank line
  std::function<void(int max)> OnProgressStart;      ///< a long operation of `max` steps starts
  std::function<void(int position)> OnProgress;      ///< before each step, 1-based
  std::function<void(TConvertDataModule& sender)> OnAlarmsChanged;  ///< dsAlarmObject was (re)opened
  /// A batch or an object that a run with KeepGoing passes over, before its
  /// log line: a callback that throws ends the run there, and nothing is
  /// logged as passed over.
  std::function<void(const TSkippedFailure& failure)> OnSkipped;
  /// Generation wrote the creation script of object `objectId` into the file,
  /// from line `line` (1-based) on; the command line translates alarm
  /// positions with it.
  std::function<void(int objectId, int line)> OnScriptPlaced;
  /// Reverse-engineering read an object of a chosen type (stored, replaced
  /// or found unchanged) whose text starts at file line `line` (1-based);
  /// the command line names that line when the object fails later.
  std::function<void(const std::string& typeName, const std::string& objectName, int line)> OnObjectRead;

  // --- The open project. ---------------------------------------------------
  int ProjectId = 0;  ///< 0: no project open
  std::string ProjectName;
  int DialectId = 0;
  std::string ProjectDNS;  ///< empty when the repository holds null
  /// True once the open project's dialect is fully loaded; false while no
  /// project is open, and after an opening that failed half-way.
  bool ProjectLoaded() const { return project_loaded_; }
  /// Throws unless a project is open and its row is still in the repository:
  /// another program, or the project list, may have deleted it since, and
  /// work on it would store nothing or write an empty script.
  void RequireOpenProject();

  // --- Conversion machinery of the open dialect. ---------------------------
  TConvertCore Core;  ///< Terms, Parser, Words, the registries and the shared context
  TTermList& Terms = Core.Terms;
  TParser& Parser = Core.Parser;
  TParserWordList& Words = Core.Words;
  TCommandList& Commands = Core.Commands;
  TAnalizerObjectList& Analizers = Core.Analizers;

  /// Threads that share the work of reverse-engineering and whole
  /// compilation runs, the calling thread included: it reads and writes the
  /// repository while the others parse, recognise and convert. 0 for one per
  /// core, 1 for the calling thread alone. The results are the same either way.
  int Workers = 0;
  /// The worker threads a run starts besides the calling thread (Workers - 1).
  int WorkerThreads() const;
  /// The objects the last compilation run passed over (KeepGoing).
  int SkippedObjects = 0;
  /// False for a caller that shows no object tree (the command line): the
  /// operations that reopen dsTreeObject after changing the project's objects
  /// close it instead, sparing a large project's tree in memory. It is
  /// opened again by whoever reads it (OpenObjectTree).
  bool KeepObjectTree = true;
  /// False for a caller that shows no alarm view (the command line):
  /// RefreshAlarmObjects closes dsAlarmObject instead of reading every alarm
  /// of the project into it; such a caller reads the alarms when it needs them.
  bool KeepAlarmObjects = true;
  /// The reserved-word rows of the open dialect, as LoadTerms loaded them
  /// (the workers' cores are made from them).
  std::vector<TReservedWordRow> DialectRows;

  // --- Scratch state of the running operation. -----------------------------
  std::vector<std::string> BatchLines;
  /// The file line (1-based) of each of BatchLines, when AddScript reads them.
  std::vector<int> BatchLineNumbers;
  TOptAddScript Options;
  std::vector<std::string> SelectedTypes;
  /// Objects stored per type in the running reverse-engineering, in order of
  /// the first stored object of each type.
  std::vector<std::pair<std::string, int>> TypeCounts;
  bool BatchCompile = false;
  /// While reverse-engineering compiles what it reads: how many indexes and
  /// unique constraints of the project have each name (letter case folded).
  /// One whose name another has waits for the compilation run, which gives
  /// it its target name (IndexTargetNames).
  std::unordered_map<std::string, int> IndexNameCounts;
  /// IndexTargetNames, read once when a compilation run starts.
  std::unordered_map<long long, std::string> RunIndexNames;
  /// The stored names of tables (the parents of other objects) by key: those
  /// the running reverse-engineering stored or found (with
  /// TOptAddScript::CompileOnImport), and all of the project's with
  /// ObjectKeysLoaded.
  std::unordered_map<long long, std::string> StoredObjectNames;
  /// While reverse-engineering runs on a backend with the dsObjectKeys
  /// statement: every object of the project by type and name folded to ASCII
  /// lower case, so that objects the project lacks are not looked for.
  TTextKeyMap<long long> ObjectKeys;
  bool ObjectKeysLoaded = false;

  // --- Result sets and commands (see the repository's statement sets). -----
  UpdatableDataSet dsProject;  ///< the project list; edited by the project dialog
  DataSet dsDialect;
  DataSet dsTypeObject;
  DataSet dsTreeObject;  ///< batch mode: in-memory changes only
  DataSet dsResevedWord;
  DataSet dsAlarm;
  DataSet dsAlarmObject;
  DataSet dsScript;
  DataSet dsParentScript;
  DataSet dsObjectType;
  DataSet dsObjectScript;  ///< batch mode: in-memory changes only
  DataSet dsObjects;       ///< statement set at run time
  Command cmdScriptAppend;
  Command cmdScriptAppendCompiled;
  Command cmdScriptUpdate;
  Command cmdDestScriptUpdate;
  Command cmdObjectDelete;
  Command cmdObjectDeleteAll;
  Command cmdAddAlarm;
  Command cmdDeleteAlarm;
  Command cmdSQL;  ///< statement set at run time

  // --- Operations. ---------------------------------------------------------

  /// Opens the project with that key, or closes the open project with 0.
  /// Opening the project that is open changes nothing. A key without a
  /// project raises "Проект не обнаружен" and changes nothing. A failure
  /// later on (repository, dialect rows, a command's key term) propagates
  /// with the project's values set and the views opened so far left open;
  /// `ProjectLoaded()` stays false, and opening that project again retries.
  void SetProject(int projectId);

  /// Calls OnLog with `msg` when it is set.
  void Log(const std::string& msg);

  /// Builds the terms of the dialect from its reserved-word rows.
  void LoadTerms(int dialectId);
  /// Registers the eighteen commands, in their fixed order.
  void RegisterCommands();
  /// Registers the analyzers, in their fixed order.
  void RegisterAnalizers();

  /// The bare name of an object given as text (dbo.[DF_Orders_Qty] gives DF_Orders_Qty).
  static std::string ClearObjectName(std::string_view name) { return TConvertCore::ClearObjectName(name); }

  static void CloseDataSet(DataSet& dataSet) { dataSet.Close(); }
  /// Closes the set when open, then opens it (re-runs its statement).
  static void OpenDataSet(DataSet& dataSet) { dataSet.Open(); }

  void OpenObjectTree(int projectId);
  /// After the project's objects changed: reopens the object tree, or closes
  /// it when KeepObjectTree is false.
  void RefreshObjectTree();
  void CloseObjectTree();
  void OpenTypeObjects(int dialectId);
  void CloseTypeObjects();
  /// Moves dsTypeObject to the type named `typeName` ignoring case (staying
  /// put when the current row is that type); false when there is none.
  bool LocateTypeObject(const std::string& typeName);
  void OpenAlarms(int dialectId);
  void CloseAlarms();
  /// Moves dsAlarm to the alarm kind `varName` (case ignored); false when none.
  bool LocateAlarm(const std::string& varName);
  /// Puts into `ids` the key of the alarm row of each alarm's kind, in the
  /// list's order. False at the first kind the dialect has no row for: `ids`
  /// then holds the keys of the alarms before it.
  bool FindAlarmIds(const TAlarmList& alarms, std::vector<QVariant>& ids);
  /// Opens the alarm view of a project, then calls OnAlarmsChanged (with
  /// KeepAlarmObjects false: closes it).
  void OpenAlarmObjects(int projectId);
  /// Re-opens the alarm view with its current project, then calls
  /// OnAlarmsChanged (with KeepAlarmObjects false: closes it).
  void RefreshAlarmObjects();
  void CloseAlarmObjects();
  /// Opens the object view on an object; does nothing when it is open on
  /// that object already (so in-memory changes of its row stay visible).
  void OpenObjectScript(int objectId);
  void CloseObjectScript();
  /// Looks an object of the open project up by type and name in `query`
  /// (dsScript or dsParentScript, whose Project_id the caller has set);
  /// true when found, the query then stays open on it. Raises "Тип не
  /// обнаружен" when the dialect has no such type.
  bool FindObject(DataSet& query, const std::string& typeName, const std::string& objectName);

  // --- Project operations. -------------------------------------------------

  /// Reverse-engineering: reads the script file `options.FileName`, splits it
  /// into batches at GO lines (a last batch needs none) and stores the
  /// objects of the chosen types in the open project, by `options.Mode`.
  /// Raises "Нет открытого проекта", "Файл скрипта не найден", an error
  /// naming a file that cannot be read or decoded (nothing is stored then),
  /// and the first failure of a batch (unless `options.KeepGoing`); objects
  /// stored before a failure stay. Reopens the object tree at the end.
  /// Another import into the project (another program) is waited for up to
  /// ImportLockWait; when it runs longer, nothing is stored and the error
  /// says so.
  void AddScript(const TOptAddScript& options);
  /// How long AddScript waits for another import into the project.
  std::chrono::seconds ImportLockWait{600};
  /// Handles the batch held in BatchLines (a step of AddScript).
  void ProcessBatch();

  /// Compiles the object open in dsObjectScript and stores its destination
  /// script, drop script and alarms; nothing when no object is open or its
  /// type has no analyzer. A failure stores nothing of the object.
  void CompileObject();
  /// Stores what the compilation of object `objectId` gave (`dropScript`
  /// null: no drop script); `showInView` also shows it in dsObjectScript,
  /// open on that object.
  void StoreCompilation(const QVariant& objectId, const QString& destScript, const QString& dropScript,
                        const TAlarmList& alarms, bool showInView);
  /// The repository part of StoreCompilation: the scripts, then the alarms
  /// (their kinds' keys in `alarmIds`, see FindAlarmIds); with
  /// `replaceAlarms` the alarms the object had are deleted first.
  void StoreCompiledObject(const QVariant& objectId, const QString& destScript, const QString& dropScript,
                           const TAlarmList& alarms, const std::vector<QVariant>& alarmIds, bool replaceAlarms);
  /// Stores a new object of the open project together with its compilation
  /// result and alarms (their kinds' keys in `alarmIds`); the scripts are
  /// UTF-8 (`dropScript` null: none). Returns the object's key.
  QVariant AppendCompiledObject(const std::string& objectName, const QVariant& parentId, const QVariant& typeId,
                                const QByteArray& sourceScript, const QByteArray& destScript,
                                const QByteArray& dropScript, const TAlarmList& alarms,
                                const std::vector<QVariant>& alarmIds);
  /// Runs the analyzer of `TypeName` on `Words`; false when there is none.
  bool ConvertObject(const std::string& TypeName, const std::string& ParentName, const std::string& ObjectName,
                     TParserWordList& Words, std::vector<std::string>& DestLines,
                     std::vector<std::string>& DropLines, TAlarmList& Alarms,
                     const std::string& ParentTypeName = {});
  /// Stores the alarms of one object (replacing its alarms outside a whole
  /// compilation run). Raises "Имя предупреждения [%s] не найдено" for a
  /// kind the dialect has no row for, before anything is changed.
  void SaveAlarms(int ObjectId, const TAlarmList& Alarms);
  /// Inserts `alarms` (their kinds' keys in `alarmIds`), after deleting the
  /// object's alarms when `replace`.
  void StoreAlarms(int objectId, const TAlarmList& alarms, const std::vector<QVariant>& alarmIds, bool replace);
  /// Resets the compilation results of the open project: of one type, or of
  /// all types with 0. Alarms stay.
  void ClearCompilation(int TypeObjectId);
  /// Deletes one object and removes its node from the tree in memory.
  void DeleteObject(int ObjectId);

  /// Compiles the pending objects of the chosen types, then writes the target
  /// script to `options.FileName` (a temporary file renamed into place; UTF-8
  /// unless `options.OutputEncoding` names Windows-1251). Does nothing when
  /// no type is chosen. A failed compilation ends the run with no file
  /// written, unless `options.KeepGoing`.
  void GenerateScript(const TOptAddScript& options);
  /// The compilation run of GenerateScript without the file: the alarms of the
  /// project's not-compiled objects of the chosen types are purged and those
  /// objects are compiled in one run (`options.KeepGoing` as there).
  void CompilePending(const TOptAddScript& options);

  /// The names under which the open project's indexes and unique constraints
  /// (which become indexes) are created in the target, by object key, for
  /// those whose name another of them took first: SQL Server scopes an
  /// index name to its table, SQL Anywhere to its owner. Of several of one
  /// name (letter case ignored) the first stored keeps it; each later one is
  /// named after its table too (IX becomes IX_Orders, IX_Orders_2 when that
  /// is taken), never as any index of the project is named.
  std::unordered_map<long long, std::string> IndexTargetNames();
  /// The open project's indexes and unique constraints in the order they
  /// were stored: key, name and parent's name.
  struct TIndexName {
    long long Id;
    std::string Name, Parent;
  };
  std::vector<TIndexName> ProjectIndexNames();
  /// True for the types whose objects become indexes of the target.
  static bool IsIndexType(const std::string& typeName);

  /// The stored source of the open project's first default or rule named
  /// `objectName`, as lines; empty when there is none (dsObjectType).
  std::vector<std::string> OpenObjectSource(const std::string& objectName) override;

 private:
  void OpenProject(int projectId);
  void CloseProject();
  /// The work of AddScript while it holds the project's lock.
  void ImportLocked(const TOptAddScript& options, TextEncoding encoding);
  void LogObjectCounts();

  bool project_loaded_ = false;
  // The row of dsTypeObject where LocateTypeObject last found each name
  // asked for: reading a script asks for a few types again and again. A
  // row is trusted only while it holds the same name, so a reload cannot
  // mislead it.
  struct TypeObjectRow {
    int row;
    QString name;  ///< the row's name when it was found there
  };
  std::unordered_map<std::string, TypeObjectRow> typeObjectRows_;
};

}  // namespace ambrix
