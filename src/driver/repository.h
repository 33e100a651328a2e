#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include "driver/repository_location.h"
#include "driver/repository_statements.h"

class QSqlQuery;
struct sqlite3;

namespace ambrix {

/// The rows a statement returned, with its column names as the server wrote
/// them (PostgreSQL folds unquoted names to lower case).
struct QueryResult {
  std::vector<QString> columns;
  std::vector<std::vector<QVariant>> rows;
  /// After an insert on SQLite: the key of the row it added; null on the
  /// other backends. Meaningless after other statements.
  QVariant insertedId;
};

/// Parameter values by placeholder name (without the colon).
using ParamValues = std::map<std::string, QVariant>;

/// The row a query being read by Repository::ForEachRow stands on. What it
/// gives is valid until the next row.
class QueryRow {
 public:
  /// The number of the column named `name` (any letter case); -1: none.
  virtual int IndexOf(std::string_view name) const = 0;
  /// IndexOf that throws, naming `statement`, when the row has no such column.
  int RequireColumn(std::string_view name, std::string_view statement) const;
  /// The value of a column, as QtSql gives it.
  virtual QVariant Value(int column) const = 0;
  /// The value of a column as an integer (0 for null).
  virtual long long Integer(int column) const = 0;
  /// The bytes of a column: a blob as stored, a text in UTF-8, a number as
  /// its text; empty for null.
  virtual std::string_view Bytes(int column) const = 0;

 protected:
  ~QueryRow() = default;
};

/// The version of the repository schema this program makes. 1 to 3 are the
/// forms earlier versions made without recording it (see SchemaVersion); 4
/// records it in the table RepositoryVersion.
constexpr int kRepositorySchemaVersion = 4;

/// What Repository::Upgrade did.
struct RepositoryUpgrade {
  int fromVersion = kRepositorySchemaVersion;  ///< the schema version found
  int toVersion = kRepositorySchemaVersion;    ///< the schema version now
  bool dialectRowsChanged = false;             ///< the shipped dialect rows were brought up to date
};

/// One connection to a repository database, with the statement set of its
/// backend. Every statement commits on its own (no transaction is held open,
/// but for an import on SQLite: see LockProject);
/// prepared statements are kept and reused by text. Failures of the server or
/// the driver throw ambrix::RepositoryError with the driver's text.
class Repository {
 public:
  /// Connects. A SQLite repository is created on first use: the file (and its
  /// folder) with the schema and the dialect rows. Any other database must
  /// already hold a repository (see InitRepository).
  static std::unique_ptr<Repository> Open(const RepositoryLocation& location);

  /// Connects without looking at what the database holds.
  static std::unique_ptr<Repository> Connect(const RepositoryLocation& location);

  ~Repository();
  Repository(const Repository&) = delete;
  Repository& operator=(const Repository&) = delete;

  Backend backend() const { return location_.backend; }
  const RepositoryLocation& location() const { return location_; }
  const StatementSet& statements() const { return Statements(location_.backend); }

  /// Runs one statement; its placeholders take the values of `params` by
  /// name, and null where `params` has none. Returns the rows of a query.
  QueryResult Run(const QString& text, const ParamValues& params = {});
  /// Runs a query and hands each row to `row` as it is read: a large result
  /// is never held whole. `row` must not run another statement.
  void ForEachRow(const QString& text, const ParamValues& params, const std::function<void(const QueryRow&)>& row);
  /// Runs the named statement of the backend's set.
  QueryResult RunNamed(const std::string& name, const ParamValues& params = {});

  /// Runs a script of statements separated by semicolons.
  void RunScript(std::string_view script);
  /// Runs one statement once, unprepared (settings, schema changes: servers
  /// prepare only queries and data changes).
  void Execute(const QString& text);
  /// `Execute` of a statement that SQLite refuses at once while another
  /// connection holds the file (a journal mode change): tried again until
  /// the busy timeout has passed.
  void ExecuteWhenFree(const QString& text);

  /// Whether the database holds every table of the repository.
  bool IsInstalled();
  /// Whether the database (its current schema) holds no table at all.
  bool IsEmpty();
  /// The tables of the database (its current schema), in lower case.
  std::vector<std::string> TableNames();

  /// Creates the schema and, unless told not to, loads the dialect rows the
  /// program carries, all in one transaction, into an empty database; throws
  /// when it is not empty. (Without dialect rows: for a dialect of one's own.)
  void Install(bool withDialectRows = true);
  /// Install, into an empty database only: false, with nothing done, when
  /// the database holds any table (checked within the transaction, so that
  /// of two programs installing at once one does it).
  bool InstallIfEmpty(bool withDialectRows);

  /// Brings a repository an earlier version of the program made up to this
  /// one: its schema to kRepositorySchemaVersion (each step in one
  /// transaction), then the rows of the dialect the program carries (dialect
  /// 1: its reserved words, alarm kinds and type objects) become the ones it
  /// carries now, in one transaction, when they differ. Rows of other
  /// dialects and every project stay as they are. Throws, changing nothing,
  /// for a schema of a later version. Open runs it on every repository it
  /// opens.
  RepositoryUpgrade Upgrade();

  /// The schema version of an installed repository: the one it records, or,
  /// for one made before versions were recorded, the one its object name
  /// index shows (1: keyed without the parent, 2: on the name as stored,
  /// 3: on the folded name).
  int SchemaVersion();
  /// Whether the repository records its schema version (from version 4 on).
  bool HasVersionTable();

  /// Inserts rows into one table; `columns` names each row's fields in
  /// order; nullopt is stored as null.
  void LoadTable(const std::string& table, const std::vector<std::string>& columns,
                 const std::vector<std::vector<std::optional<std::string>>>& rows);

  /// Runs `work` in one transaction: committed when it returns, rolled back
  /// when it throws. Used for installation only; the repository's own
  /// operations commit statement by statement.
  template <class Work>
  void InTransaction(Work&& work) {
    Begin();
    try {
      work();
    } catch (...) {
      Rollback();
      throw;
    }
    Commit();
  }

  /// Takes the lock that one writer of a project's objects holds at a time
  /// (an import), waiting up to `wait` for another program that holds it;
  /// `waiting` is called once when the lock is not free at once. On SQLite
  /// it is the database's write lock: a transaction is begun that
  /// UnlockProject ends. On PostgreSQL it is an advisory lock of the
  /// project, which a lost connection frees. Throws, having taken nothing,
  /// when the wait ran out.
  void LockProject(int projectId, std::chrono::seconds wait, const std::function<void()>& waiting);
  /// Ends what LockProject began: commits its work (on SQLite) and frees
  /// the lock. When the commit fails the work is rolled back and the error
  /// thrown.
  void UnlockProject(int projectId);

  /// The number of statements prepared so far (reuse keeps it small).
  int PreparedCount() const { return prepared_count_; }

 private:
  explicit Repository(const RepositoryLocation& location);
  struct Prepared;
  Prepared& Prepare(const QString& text);
  /// Resets the SQLite statement of `prepared` and binds `params` to it;
  /// false, with nothing bound, when a value is of a type left to QtSql.
  bool BindDirect(Prepared& prepared, const ParamValues& params);
  /// Runs a SQLite data change of `prepared` on its statement; false, with
  /// nothing done, when a value is of a type left to QtSql.
  bool RunDirect(Prepared& prepared, const ParamValues& params, QueryResult& result);
  /// Reads the rows of a SQLite query of `prepared` from its statement into
  /// `row`; false, with nothing done, when a value is of a type left to QtSql.
  bool ForEachRowDirect(Prepared& prepared, const ParamValues& params, const std::function<void(const QueryRow&)>& row);
  /// Binds `params` and executes; the query is ready for reading its rows.
  QSqlQuery& Exec(Prepared& prepared, const ParamValues& params);
  /// Reads the rows of an executed query into `row`, then finishes it.
  void ReadRows(QSqlQuery& query, const std::function<void(const QSqlQuery&)>& row);
  /// The statement of the backend's schema script that contains `fragment`
  /// ("index MetaObject_Name"); throws when there is none.
  QString SchemaStatement(const QString& fragment);
  /// Makes the version table hold kRepositorySchemaVersion; within the
  /// caller's transaction.
  void RecordSchemaVersion();
  /// Makes the index of object names one on the folded name (see
  /// StatementSet::FoldedName), unless it is so already; within the
  /// caller's transaction.
  void FoldObjectNames();
  /// Whether the index of object names is on the folded name.
  bool ObjectNamesFolded();
  /// The text of the index of object names as the database keeps it; empty
  /// when there is none.
  QString ObjectNameIndexText();
  void Begin();
  void Commit();
  void Rollback();
  [[noreturn]] void Fail(const QString& what, const QString& driverText) const;
  /// The SQLite library's connection under QtSql's; null on other backends.
  sqlite3* SQLiteHandle() const;

  RepositoryLocation location_;
  QString connection_name_;
  QSqlDatabase db_;
  // By statement text: hashed, as the texts are long and looked up per run.
  std::unordered_map<QString, std::unique_ptr<Prepared>> prepared_;
  // The statements used last, found by the address of their text: a key of
  // `prepared_` shares its text's data, which so stays allocated and
  // unchanged, and an address equal to a key's is that same text. Spares
  // hashing a statement's whole text at each run.
  struct Recent {
    const QChar* data = nullptr;
    qsizetype size = 0;
    Prepared* prepared = nullptr;
  };
  std::array<Recent, 8> recent_{};
  std::size_t nextRecent_ = 0;
  int prepared_count_ = 0;
};

/// The statements of a script separated by semicolons. Semicolons inside
/// quotes, dollar quotes and comments do not split; comments are dropped.
std::vector<QString> SplitSqlScript(std::string_view script);

/// The repository tables in creation order.
const std::vector<std::string>& RepositoryTables();

}  // namespace ambrix
