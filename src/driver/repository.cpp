#include "driver/repository.h"

#include <algorithm>

#include <atomic>
#include <cctype>
#include <cstring>
#include <chrono>
#include <thread>

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>

#include "driver/dialect_seed.h"
#include "embedded_file.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

struct Repository::Prepared {
  explicit Prepared(const QSqlDatabase& db) : query(db) {}
  QSqlQuery query;
  std::vector<std::string> placeholders;
  std::vector<QString> bindNames;  ///< ":name" of each placeholder
  /// SQLite: the statement `query` holds, run by RunDirect (a data change)
  /// or read by ForEachRowDirect (a query). Null: run through `query`.
  sqlite3_stmt* direct = nullptr;
  /// With `direct`: whether the statement returns rows.
  bool directRows = false;
  /// With `direct`: the placeholder name of each of its parameters, by number.
  std::vector<std::string> directNames;
  /// With `direct`: room for the values of one run, kept between runs.
  std::vector<const QVariant*> directValues;
};

namespace {

std::atomic<int> connection_counter{0};

QString Location(const RepositoryLocation& location) { return QString::fromStdString(location.ToString()); }

// How long a statement waits for a repository file another program holds.
constexpr std::chrono::milliseconds kBusyTimeout{10000};

// SQLite's "database is locked" (SQLITE_BUSY, in any of its extended forms).
bool IsBusy(const QSqlError& error) { return (error.nativeErrorCode().toInt() & 0xff) == 5; }

// fold_name( text ): the name with the letters of the text layer's case
// table in their small forms.
void FoldName(sqlite3_context* context, int, sqlite3_value** values) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
  if (text == nullptr) {
    sqlite3_result_null(context);
    return;
  }
  std::string folded(text, static_cast<std::size_t>(sqlite3_value_bytes(values[0])));
  LowerCaseInPlace(folded);
  sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

// The statement QtSql prepared for `query`, when it is a SQLite statement
// whose parameters are all named; their names go to `names`, by parameter
// number. Null otherwise.
sqlite3_stmt* DirectStatement(const QSqlQuery& query, std::vector<std::string>& names) {
  const QSqlResult* result = query.result();
  const QVariant handle = result ? result->handle() : QVariant();
  if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3_stmt*") != 0) return nullptr;
  sqlite3_stmt* statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
  if (statement == nullptr) return nullptr;
  names.clear();
  const int count = sqlite3_bind_parameter_count(statement);
  for (int i = 1; i <= count; ++i) {
    const char* name = sqlite3_bind_parameter_name(statement, i);
    if (name == nullptr || name[0] != ':' || name[1] == '\0') return nullptr;
    names.emplace_back(name + 1);
  }
  return statement;
}

// Whether QtSql's SQLite driver binds `value` as null: an invalid variant,
// or a null string or byte array.
bool IsNullValue(const QVariant& value) {
  if (value.isNull()) return true;
  switch (value.typeId()) {
    case QMetaType::QString: return static_cast<const QString*>(value.constData())->isNull();
    case QMetaType::QByteArray: return static_cast<const QByteArray*>(value.constData())->isNull();
    default: return false;
  }
}

// Whether BindValue binds `value` as QtSql's SQLite driver would.
bool BindsDirectly(const QVariant& value) {
  if (IsNullValue(value)) return true;
  switch (value.typeId()) {
    case QMetaType::QByteArray:
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Double: return true;
    default: return false;
  }
}

// Binds `value` (null: no value) to parameter `number`, the way QtSql's
// SQLite driver binds it. Strings and byte arrays are bound where they
// stand: `value` must outlive the statement's step.
int BindValue(sqlite3_stmt* statement, int number, const QVariant* value) {
  if (value == nullptr || IsNullValue(*value)) return sqlite3_bind_null(statement, number);
  switch (value->typeId()) {
    case QMetaType::QByteArray: {
      const auto* bytes = static_cast<const QByteArray*>(value->constData());
      return sqlite3_bind_blob(statement, number, bytes->constData(), static_cast<int>(bytes->size()), SQLITE_STATIC);
    }
    case QMetaType::QString: {
      const auto* text = static_cast<const QString*>(value->constData());
      return sqlite3_bind_text16(statement, number, text->utf16(), static_cast<int>(text->size() * 2), SQLITE_STATIC);
    }
    case QMetaType::Int:
    case QMetaType::Bool: return sqlite3_bind_int(statement, number, value->toInt());
    case QMetaType::Double: return sqlite3_bind_double(statement, number, value->toDouble());
    default: return sqlite3_bind_int64(statement, number, value->toLongLong());
  }
}

// A row read through QtSql. A column's bytes are kept until the next row,
// as the row read from SQLite itself keeps them.
class QtRow final : public QueryRow {
 public:
  explicit QtRow(const QSqlQuery& query) : query_(query) {}
  void Next() { held_.clear(); }
  int IndexOf(std::string_view name) const override {
    return query_.record().indexOf(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  QVariant Value(int column) const override { return query_.value(column); }
  long long Integer(int column) const override { return query_.value(column).toLongLong(); }
  std::string_view Bytes(int column) const override {
    const QVariant value = query_.value(column);
    QByteArray& bytes = held_[column];
    bytes = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }

 private:
  const QSqlQuery& query_;
  mutable std::map<int, QByteArray> held_;
};

// A row of a SQLite statement read without QtSql: a script comes as the
// bytes SQLite holds, with no copy and no round trip through UTF-16.
class SQLiteRow final : public QueryRow {
 public:
  explicit SQLiteRow(sqlite3_stmt* statement) : statement_(statement) {}
  int IndexOf(std::string_view name) const override {
    const int count = sqlite3_column_count(statement_);
    for (int i = 0; i < count; ++i) {
      const char* column = sqlite3_column_name(statement_, i);
      if (column != nullptr && std::strlen(column) == name.size() &&
          sqlite3_strnicmp(column, name.data(), static_cast<int>(name.size())) == 0)
        return i;
    }
    return -1;
  }
  // As QtSql's SQLite driver reads a value with its default precision.
  QVariant Value(int column) const override {
    switch (sqlite3_column_type(statement_, column)) {
      case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement_, column)));
      case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement_, column));
      case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement_, column)));
      }
      case SQLITE_NULL: return QVariant();
      default: {
        const auto* text = static_cast<const QChar*>(sqlite3_column_text16(statement_, column));
        return QVariant(QString(text, sqlite3_column_bytes16(statement_, column) / 2));
      }
    }
  }
  long long Integer(int column) const override { return sqlite3_column_int64(statement_, column); }
  std::string_view Bytes(int column) const override {
    const int type = sqlite3_column_type(statement_, column);
    if (type == SQLITE_NULL) return {};
    const char* data = type == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(statement_, column))
                                           : reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return data == nullptr ? std::string_view() : std::string_view(data, static_cast<std::size_t>(size));
  }

 private:
  sqlite3_stmt* statement_;
};

}  // namespace

int QueryRow::RequireColumn(std::string_view name, std::string_view statement) const {
  const int column = IndexOf(name);
  if (column < 0)
    throw Error(std::string(statement) + ": the statement returns no column " + std::string(name));
  return column;
}

const std::vector<std::string>& RepositoryTables() {
  static const std::vector<std::string> tables{"Dialect", "TypeObject", "TypeObjectDialect", "ReservedWord",
                                               "Alarm",   "Project",    "MetaObject",        "AlarmObject"};
  return tables;
}

Repository::Repository(const RepositoryLocation& location)
    : location_(location),
      connection_name_(QStringLiteral("ambrix-repository-%1").arg(connection_counter.fetch_add(1))) {}

Repository::~Repository() {
  prepared_.clear();
  if (db_.isValid()) db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(connection_name_);
}

sqlite3* Repository::SQLiteHandle() const {
  if (backend() != Backend::SQLite || !db_.isOpen()) return nullptr;
  const QVariant handle = db_.driver()->handle();
  if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
  return *static_cast<sqlite3* const*>(handle.data());
}

void Repository::Fail(const QString& what, const QString& driverText) const {
  QString message = what;
  if (!driverText.trimmed().isEmpty()) message += QStringLiteral(": ") + driverText.trimmed();
  if (sqlite3* db = SQLiteHandle()) {
    const int code = sqlite3_extended_errcode(db) & 0xff;
    // SQLite says "disk I/O error" for a full disk and a file size limit
    // alike; the system's reason tells which.
    if (code == SQLITE_IOERR)
      if (const int error = sqlite3_system_errno(db); error != 0)
        message += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(")");
    if (code == SQLITE_NOTADB)
      message += QStringLiteral(" (the file %1 is no repository of this program; it was left as it is)")
                     .arg(QString::fromStdString(location_.path));
    if (code == SQLITE_BUSY)
      message += QStringLiteral(" (another program kept the repository locked for %1 s; try again when it is done)")
                     .arg(std::chrono::duration_cast<std::chrono::seconds>(kBusyTimeout).count());
  }
  throw RepositoryError(message.toStdString());
}

namespace {

// Settings of the SQLite library itself, made once before its first
// connection (the library takes them only before it starts). Each connection
// is used by one thread at a time (QtSql's rule as well), so the library
// need not lock a connection at each call; and it keeps no count of its
// memory, which would take a lock shared by all threads at each allocation.
void ConfigureSQLite() {
  static const bool configured = [] {
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return true;
  }();
  (void)configured;
}

}  // namespace

std::unique_ptr<Repository> Repository::Connect(const RepositoryLocation& location) {
  std::unique_ptr<Repository> repository(new Repository(location));
  Repository& r = *repository;
  if (location.backend == Backend::SQLite) {
    ConfigureSQLite();
    if (!location.InMemory()) {
      const QFileInfo file(QString::fromStdString(location.path));
      if (!QDir().mkpath(file.absolutePath()))
        r.Fail(QStringLiteral("Cannot create the folder of the repository ") + Location(location), QString());
    }
    r.db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), r.connection_name_);
    r.db_.setDatabaseName(QString::fromStdString(location.path));
    r.db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeout.count()));
  } else if (location.backend == Backend::PostgreSQL) {
    r.db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), r.connection_name_);
    r.db_.setHostName(QString::fromStdString(location.host));
    if (location.port > 0) r.db_.setPort(location.port);
    r.db_.setDatabaseName(QString::fromStdString(location.database));
    r.db_.setUserName(QString::fromStdString(location.user));
    // No password is set: libpq reads PGPASSWORD or ~/.pgpass itself. A
    // server that does not answer fails instead of hanging.
    r.db_.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=ambrix"));
  } else {
    r.Fail(QStringLiteral("No backend runs the ") + QString::fromLatin1(BackendName(location.backend)) +
               QStringLiteral(" statements"),
           QString());
  }
  if (!r.db_.isValid())
    r.Fail(QStringLiteral("The database driver for ") + QString::fromLatin1(BackendName(location.backend)) +
               QStringLiteral(" is not available"),
           r.db_.lastError().text());
  if (!r.db_.open()) r.Fail(QStringLiteral("Cannot open the repository ") + Location(location), r.db_.lastError().text());
  if (location.backend == Backend::SQLite) {
    // The folding of object names the index and the look-ups use (see
    // StatementSet::FoldedName).
    if (sqlite3* db = r.SQLiteHandle())
      sqlite3_create_function_v2(db, "fold_name", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                 FoldName, nullptr, nullptr, nullptr);
    // An in-memory repository is filled with a whole script and then read
    // whole in sorted order: larger pages take its many rows of a few
    // kilobytes with fewer page splits and overflow pages, and the sorter,
    // which writes its runs a page at a time, with fewer writes (set before
    // anything is stored; a file keeps the page size it was made with).
    if (location.InMemory()) r.Execute(QStringLiteral("pragma page_size = 32768"));
    r.Execute(QStringLiteral("pragma foreign_keys = on"));
    if (!location.InMemory()) {
      // Write-ahead logging makes the commit of each statement cheap.
      r.ExecuteWhenFree(QStringLiteral("pragma journal_mode = wal"));
      r.Execute(QStringLiteral("pragma synchronous = normal"));
    }
  } else {
    r.Execute(QStringLiteral("set client_min_messages = warning"));
    // Every statement commits on its own; as with SQLite's write-ahead log,
    // a commit does not wait for the disk. A server crash may lose the last
    // moment's statements, never consistency.
    r.Execute(QStringLiteral("set synchronous_commit = off"));
  }
  return repository;
}

std::unique_ptr<Repository> Repository::Open(const RepositoryLocation& location) {
  auto repository = Connect(location);
  if (repository->IsInstalled()) {
    repository->Upgrade();
    return repository;
  }
  if (location.backend == Backend::SQLite && repository->IsEmpty()) {
    // Another program may have created the same new file a moment before.
    if (!repository->InstallIfEmpty(true) && !repository->IsInstalled())
      repository->Fail(QStringLiteral("The database ") + Location(location) +
                           QStringLiteral(" is not a repository of this program (its tables differ)"),
                       QString());
    return repository;
  }
  if (repository->IsEmpty())
    repository->Fail(QStringLiteral("The database ") + Location(location) +
                         QStringLiteral(" holds no repository yet; install one into it first: ambrix repository init "
                                        "--repository ") +
                         Location(location),
                     QString());
  repository->Fail(QStringLiteral("The database ") + Location(location) +
                       QStringLiteral(" is not a repository of this program (its tables differ)"),
                   QString());
}

Repository::Prepared& Repository::Prepare(const QString& text) {
  for (const Recent& recent : recent_)
    if (recent.data == text.constData() && recent.size == text.size() && recent.prepared) return *recent.prepared;
  auto it = prepared_.find(text);
  if (it == prepared_.end()) {
    // Run-time statements differ by project and type list; keep the cache small.
    if (prepared_.size() >= 256) {
      prepared_.clear();
      recent_.fill(Recent{});
    }
    auto prepared = std::make_unique<Prepared>(db_);
    prepared->query.setForwardOnly(true);
    if (!prepared->query.prepare(text))
      Fail(QStringLiteral("Repository statement failed"), prepared->query.lastError().text());
    prepared->placeholders = PlaceholderNames(text);
    if (location_.backend == Backend::SQLite) {
      prepared->direct = DirectStatement(prepared->query, prepared->directNames);
      prepared->directRows = prepared->direct != nullptr && sqlite3_column_count(prepared->direct) > 0;
    }
    for (const std::string& name : prepared->placeholders)
      prepared->bindNames.push_back(QStringLiteral(":") + QString::fromStdString(name));
    ++prepared_count_;
    it = prepared_.emplace(text, std::move(prepared)).first;
  }
  // Remembered by the key's data, which the map keeps; a caller's text that
  // is another copy of the same data is found by it just as well.
  recent_[nextRecent_] = Recent{it->first.constData(), it->first.size(), it->second.get()};
  nextRecent_ = (nextRecent_ + 1) % recent_.size();
  return *it->second;
}

QSqlQuery& Repository::Exec(Prepared& prepared, const ParamValues& params) {
  QSqlQuery& query = prepared.query;
  for (std::size_t i = 0; i < prepared.placeholders.size(); ++i) {
    auto it = params.find(prepared.placeholders[i]);
    query.bindValue(prepared.bindNames[i], it == params.end() ? QVariant() : it->second);
  }
  if (!query.exec()) {
    const QString error = query.lastError().text();
    query.finish();
    Fail(QStringLiteral("Repository statement failed"), error);
  }
  return query;
}

void Repository::ReadRows(QSqlQuery& query, const std::function<void(const QSqlQuery&)>& row) {
  try {
    while (query.next()) row(query);
  } catch (...) {
    query.finish();
    throw;
  }
  if (query.lastError().isValid()) {
    const QString error = query.lastError().text();
    query.finish();
    Fail(QStringLiteral("Repository statement failed"), error);
  }
  query.finish();
}

// A data change on SQLite binds its values and steps its statement itself:
// QtSql's binding finds each value's places by its name in a table of
// strings, which cost a repository's many inserts more than SQLite's own
// work on small rows. The values are bound as QtSql binds them, and a
// failure reads as QtSql's would.
namespace {

// While a SQLite statement run directly is in use; however the use ends,
// the statement lets go of the caller's values and of its read lock.
struct DirectUse {
  sqlite3_stmt* statement;
  ~DirectUse() {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
};

// SQLite's message for the last failure on the connection of `statement`,
// followed by what QtSql would say of that step.
QString DirectError(sqlite3_stmt* statement, const char* what) {
  return QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(statement))) + QLatin1Char(' ') + QLatin1String(what);
}

}  // namespace

bool Repository::BindDirect(Prepared& prepared, const ParamValues& params) {
  std::vector<const QVariant*>& values = prepared.directValues;
  values.clear();
  for (const std::string& name : prepared.directNames) {
    auto it = params.find(name);
    const QVariant* value = it == params.end() ? nullptr : &it->second;
    if (value != nullptr && !BindsDirectly(*value)) return false;
    values.push_back(value);
  }
  sqlite3_stmt* statement = prepared.direct;
  int rc = sqlite3_reset(statement);
  for (std::size_t i = 0; i < values.size() && rc == SQLITE_OK; ++i)
    rc = BindValue(statement, static_cast<int>(i + 1), values[i]);
  if (rc != SQLITE_OK) {
    const QString error = DirectError(statement, "Unable to bind parameters");
    DirectUse{statement};
    Fail(QStringLiteral("Repository statement failed"), error);
  }
  return true;
}

bool Repository::RunDirect(Prepared& prepared, const ParamValues& params, QueryResult& result) {
  if (!BindDirect(prepared, params)) return false;
  const DirectUse use{prepared.direct};
  if (sqlite3_step(use.statement) != SQLITE_DONE)
    Fail(QStringLiteral("Repository statement failed"), DirectError(use.statement, "Unable to fetch row"));
  const sqlite3_int64 id = sqlite3_last_insert_rowid(sqlite3_db_handle(use.statement));
  if (id != 0) result.insertedId = QVariant(static_cast<qlonglong>(id));
  return true;
}

bool Repository::ForEachRowDirect(Prepared& prepared, const ParamValues& params,
                                  const std::function<void(const QueryRow&)>& row) {
  if (!BindDirect(prepared, params)) return false;
  const DirectUse use{prepared.direct};
  const SQLiteRow current(use.statement);
  int rc;
  while ((rc = sqlite3_step(use.statement)) == SQLITE_ROW) row(current);
  if (rc != SQLITE_DONE) Fail(QStringLiteral("Repository statement failed"), DirectError(use.statement, "Unable to fetch row"));
  return true;
}

QueryResult Repository::Run(const QString& text, const ParamValues& params) {
  Prepared& prepared = Prepare(text);
  QueryResult result;
  if (prepared.direct != nullptr && !prepared.directRows && RunDirect(prepared, params, result)) return result;
  QSqlQuery& query = Exec(prepared, params);
  if (!query.isSelect()) {
    // SQLite keeps the key of the last inserted row on the connection. The
    // PostgreSQL driver would ask the server for lastval(), which fails in a
    // session that has used no sequence yet, and so aborts the transaction
    // the statement runs in: there the key stays unknown.
    if (location_.backend == Backend::SQLite) result.insertedId = query.lastInsertId();
    query.finish();
    return result;
  }
  const QSqlRecord record = query.record();
  const int count = record.count();
  result.columns.reserve(count);
  for (int i = 0; i < count; ++i) result.columns.push_back(record.fieldName(i));
  ReadRows(query, [&](const QSqlQuery& q) {
    std::vector<QVariant> row;
    row.reserve(count);
    for (int i = 0; i < count; ++i) row.push_back(q.value(i));
    result.rows.push_back(std::move(row));
  });
  return result;
}

void Repository::ForEachRow(const QString& text, const ParamValues& params,
                            const std::function<void(const QueryRow&)>& row) {
  Prepared& prepared = Prepare(text);
  if (prepared.directRows && ForEachRowDirect(prepared, params, row)) return;
  QSqlQuery& query = Exec(prepared, params);
  if (!query.isSelect()) {
    query.finish();
    return;
  }
  QtRow current(query);
  ReadRows(query, [&](const QSqlQuery&) {
    current.Next();
    row(current);
  });
}

QueryResult Repository::RunNamed(const std::string& name, const ParamValues& params) {
  return Run(statements().Text(name), params);
}

void Repository::RunScript(std::string_view script) {
  for (const QString& statement : SplitSqlScript(script)) Execute(statement);
}

void Repository::Execute(const QString& text) {
  QSqlQuery query(db_);
  if (!query.exec(text)) Fail(QStringLiteral("Repository statement failed"), query.lastError().text());
}

void Repository::ExecuteWhenFree(const QString& text) {
  // Changing the journal mode needs the file to itself for a moment, and
  // SQLite reports a busy file at once there instead of waiting as other
  // statements do: a program opening a repository that another one is
  // creating just then tries again, as long as other statements would wait.
  const auto deadline = std::chrono::steady_clock::now() + kBusyTimeout;
  for (;;) {
    QSqlQuery query(db_);
    if (query.exec(text)) return;
    const QSqlError error = query.lastError();
    if (!IsBusy(error) || std::chrono::steady_clock::now() >= deadline)
      Fail(QStringLiteral("Repository statement failed"), error.text());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

namespace {

// The first key of the advisory locks of projects on PostgreSQL ("AMBX"),
// the second being the project's key.
constexpr int kProjectLockSpace = 0x414D4258;

}  // namespace

void Repository::LockProject(int projectId, std::chrono::seconds wait, const std::function<void()>& waiting) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  bool told = false;
  if (backend() == Backend::PostgreSQL) {
    const QString lock = QStringLiteral("select pg_try_advisory_lock( %1, %2 )").arg(kProjectLockSpace).arg(projectId);
    for (;;) {
      if (Run(lock).rows.at(0).at(0).toBool()) return;
      if (!told && waiting) waiting();
      told = true;
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  } else {
    sqlite3* db = SQLiteHandle();
    for (;;) {
      // The first try does not wait, so that the wait is told of at once;
      // the others wait up to the busy timeout each.
      if (db && !told) sqlite3_busy_timeout(db, 0);
      QSqlQuery query(db_);
      const bool begun = query.exec(QStringLiteral("begin immediate"));
      if (db && !told) sqlite3_busy_timeout(db, static_cast<int>(kBusyTimeout.count()));
      if (begun) return;
      const QSqlError error = query.lastError();
      if (!IsBusy(error)) Fail(QStringLiteral("Repository statement failed"), error.text());
      if (!told && waiting) waiting();
      told = true;
      if (std::chrono::steady_clock::now() >= deadline) break;
    }
  }
  throw RepositoryError("The repository " + location_.ToString() +
                        " is being written by another program (another import into the same project?), which did "
                        "not finish within " +
                        std::to_string(wait.count()) + " s; nothing was stored, run the import again later");
}

void Repository::UnlockProject(int projectId) {
  if (backend() == Backend::PostgreSQL) {
    Run(QStringLiteral("select pg_advisory_unlock( %1, %2 )").arg(kProjectLockSpace).arg(projectId));
    return;
  }
  Commit();
}

std::vector<std::string> Repository::TableNames() {
  QueryResult result =
      backend() == Backend::SQLite
          ? Run(QStringLiteral("select name from sqlite_master where type = 'table' and name not like 'sqlite_%'"))
          : Run(QStringLiteral("select table_name from information_schema.tables "
                               "where table_schema = current_schema()"));
  std::vector<std::string> names;
  for (const auto& row : result.rows) names.push_back(row[0].toString().toLower().toStdString());
  return names;
}

bool Repository::IsInstalled() {
  const std::vector<std::string> present = TableNames();
  for (const std::string& table : RepositoryTables()) {
    const std::string lower = QString::fromStdString(table).toLower().toStdString();
    bool found = false;
    for (const std::string& name : present) found = found || name == lower;
    if (!found) return false;
  }
  return true;
}

bool Repository::IsEmpty() { return TableNames().empty(); }

// SQLite takes the write lock when the transaction begins (not at its first
// write), so that a writer waits for another instead of failing half-way.
void Repository::Begin() {
  Execute(backend() == Backend::SQLite ? QStringLiteral("begin immediate") : QStringLiteral("begin"));
}

void Repository::Commit() {
  try {
    Execute(QStringLiteral("commit"));
  } catch (const RepositoryError&) {
    Rollback();
    throw;
  }
}

void Repository::Rollback() {
  QSqlQuery query(db_);
  query.exec(QStringLiteral("rollback"));
}

void Repository::Install(bool withDialectRows) {
  if (!InstallIfEmpty(withDialectRows))
    Fail(QStringLiteral("The database ") + Location(location_) +
             QStringLiteral(" already holds tables; a repository is installed only into an empty database"),
         QString());
}

bool Repository::InstallIfEmpty(bool withDialectRows) {
  const char* schemaFile = backend() == Backend::SQLite ? "schema_sqlite.sql" : "schema_postgresql.sql";
  const std::string_view schema = data::EmbeddedFile(schemaFile);
  if (schema.empty()) Fail(QStringLiteral("The repository schema is missing from the program"), QString());
  bool installed = false;
  InTransaction([&] {
    // Inside the transaction, so that of two programs creating the same new
    // repository at once the second finds it made (SQLite takes the write
    // lock at the start of the transaction).
    if (!IsEmpty()) return;
    if (location_.InMemory()) {
      // An in-memory repository serves one run and is gone with it: keys
      // need not stay unused after a delete across runs, and without
      // AUTOINCREMENT every insert spares the bookkeeping of sqlite_sequence
      // (a read and a write of its row). Keys are still given in rising order.
      std::string script(schema);
      constexpr std::string_view kAutoIncrement = " autoincrement";
      for (std::size_t at; (at = script.find(kAutoIncrement)) != std::string::npos;)
        script.erase(at, kAutoIncrement.size());
      RunScript(script);
      // Nor is any object of it looked for by its type or parent alone (the
      // indexes serve deleting a type or a parent in a repository kept for
      // years), while every insert would add to them.
      Execute(QStringLiteral("drop index MetaObject_Type"));
      Execute(QStringLiteral("drop index MetaObject_Parent"));
    } else {
      RunScript(schema);
    }
    FoldObjectNames();
    RecordSchemaVersion();
    if (withDialectRows)
      for (const DialectTable& table : DialectTables()) LoadTable(table.table, table.columns, table.rows);
    installed = true;
  });
  return installed;
}

namespace {

// The shipped dialect's key in every repository.
constexpr int kShippedDialect = 1;

bool SameField(const QVariant& stored, const std::optional<std::string>& shipped) {
  if (!shipped) return stored.isNull();
  return !stored.isNull() && stored.toString() == QString::fromStdString(*shipped);
}

QString ColumnList(const std::vector<std::string>& columns) {
  QString list;
  for (const std::string& column : columns) {
    if (!list.isEmpty()) list += QStringLiteral(", ");
    list += QString::fromStdString(column);
  }
  return list;
}

}  // namespace

QString Repository::ObjectNameIndexText() {
  const QueryResult index =
      Run(backend() == Backend::SQLite
              ? QStringLiteral("select sql from sqlite_master where type = 'index' and name = 'MetaObject_Name'")
              : QStringLiteral("select indexdef from pg_indexes where "
                               "schemaname = current_schema() and indexname = 'metaobject_name'"));
  return index.rows.empty() ? QString() : index.rows[0][0].toString();
}

bool Repository::ObjectNamesFolded() {
  return ObjectNameIndexText().contains(
      backend() == Backend::SQLite ? QStringLiteral("fold_name(") : QStringLiteral("translate("), Qt::CaseInsensitive);
}

void Repository::FoldObjectNames() {
  if (ObjectNamesFolded()) return;
  const StatementSet& s = statements();
  // Objects an older repository told apart by the letter case of a
  // Cyrillic name stay two objects: the index is then not unique, and a
  // look-up finds the first of them.
  const QString folded = s.FoldedName(QStringLiteral("Object"));
  const bool unique =
      Run(QStringLiteral("select count(*) from ( select Project_id from MetaObject group by Project_id, %1, "
                         "TypeObject_id, coalesce( ParentObject_id, 0 ) having count(*) > 1 ) d")
              .arg(folded))
          .rows.at(0)
          .at(0)
          .toInt() == 0;
  Execute(QStringLiteral("drop index if exists MetaObject_Name"));
  Execute(s.ObjectNameIndex(unique));
}

QString Repository::SchemaStatement(const QString& fragment) {
  const char* schemaFile = backend() == Backend::SQLite ? "schema_sqlite.sql" : "schema_postgresql.sql";
  for (const QString& statement : SplitSqlScript(data::EmbeddedFile(schemaFile)))
    if (statement.contains(fragment, Qt::CaseInsensitive)) return statement;
  Fail(QStringLiteral("The repository schema is missing from the program"), QString());
}

bool Repository::HasVersionTable() {
  const std::vector<std::string> tables = TableNames();
  return std::find(tables.begin(), tables.end(), "repositoryversion") != tables.end();
}

int Repository::SchemaVersion() {
  if (HasVersionTable()) {
    const QueryResult stored = Run(QStringLiteral("select max( Version ) from RepositoryVersion"));
    if (!stored.rows.empty() && !stored.rows[0][0].isNull()) return stored.rows[0][0].toInt();
  }
  // Before the version was recorded, what the repository is tells it: the
  // index of object names, which each earlier version made differently.
  const QString key = ObjectNameIndexText();
  if (!key.isEmpty() && !key.contains(QStringLiteral("ParentObject_id"), Qt::CaseInsensitive)) return 1;
  if (!ObjectNamesFolded()) return 2;
  return 3;
}

void Repository::RecordSchemaVersion() {
  if (!HasVersionTable()) Execute(SchemaStatement(QStringLiteral("table RepositoryVersion")));
  Run(QStringLiteral("delete from RepositoryVersion"));
  Run(QStringLiteral("insert into RepositoryVersion( Version ) values( %1 )").arg(kRepositorySchemaVersion));
}

RepositoryUpgrade Repository::Upgrade() {
  RepositoryUpgrade done;
  done.fromVersion = SchemaVersion();
  done.toVersion = std::max(done.fromVersion, kRepositorySchemaVersion);
  if (done.fromVersion > kRepositorySchemaVersion)
    Fail(QStringLiteral("The repository %1 has schema version %2, made by a later version of this program "
                        "(this one knows versions up to %3)")
             .arg(Location(location_))
             .arg(done.fromVersion)
             .arg(kRepositorySchemaVersion),
         QString());
  // An object's key holds its parent since indexes of one name on two tables
  // are two objects: an older key (project, name, type) is made anew.
  if (done.fromVersion < 2) {
    const QString create = SchemaStatement(QStringLiteral("index MetaObject_Name"));
    InTransaction([&] {
      Execute(QStringLiteral("drop index MetaObject_Name"));
      Execute(create);
    });
  }
  // Names are compared folded since Cyrillic letters are folded as Latin
  // ones: an index on the name as stored is made anew on the folded name.
  // The version is recorded in the repository itself from version 4 on, so
  // that a later change of the schema knows what it starts from.
  if (done.fromVersion < kRepositorySchemaVersion)
    InTransaction([&] {
      if (backend() == Backend::PostgreSQL) Execute(QStringLiteral("lock table MetaObject in exclusive mode"));
      FoldObjectNames();  // another program may have done it meanwhile
      RecordSchemaVersion();
    });

  const std::vector<DialectTable> tables = DialectTables();
  // Reads what the repository holds of each table and, with `apply`, changes
  // it into the shipped rows; returns whether anything differed.
  auto sync = [&](bool apply) {
    bool differs = false;
    for (const DialectTable& table : tables) {
      const QString name = QString::fromStdString(table.table);
      const QString columns = ColumnList(table.columns);
      if (table.table == "ReservedWord") {
        // No key of their own in the data: the dialect's rows are compared
        // in order and replaced as a whole.
        const QueryResult stored = Run(QStringLiteral("select %1 from ReservedWord where Dialect_id = %2 "
                                                      "order by ReservedWord_id")
                                           .arg(columns)
                                           .arg(kShippedDialect));
        std::vector<std::vector<std::optional<std::string>>> shipped;
        const auto dialectColumn = std::find(table.columns.begin(), table.columns.end(), "Dialect_id");
        const std::size_t dialectIndex = static_cast<std::size_t>(dialectColumn - table.columns.begin());
        for (const auto& row : table.rows)
          if (dialectIndex < row.size() && row[dialectIndex] == std::to_string(kShippedDialect)) shipped.push_back(row);
        bool same = stored.rows.size() == shipped.size();
        for (std::size_t r = 0; same && r < shipped.size(); ++r)
          for (std::size_t c = 0; same && c < shipped[r].size(); ++c) same = SameField(stored.rows[r][c], shipped[r][c]);
        if (same) continue;
        differs = true;
        if (!apply) return true;
        Run(QStringLiteral("delete from ReservedWord where Dialect_id = %1").arg(kShippedDialect));
        LoadTable(table.table, table.columns, shipped);
        continue;
      }
      // The other tables are keyed by their first column (Dialect_id,
      // TypeObject_id, Alarm_id), TypeObjectDialect by both of its columns:
      // a shipped row missing is added, one that differs is updated, and
      // rows of the repository's own stay.
      const std::size_t keyColumns = table.table == "TypeObjectDialect" ? 2 : 1;
      const QueryResult stored = Run(QStringLiteral("select %1 from %2").arg(columns, name));
      for (const auto& row : table.rows) {
        const std::vector<QVariant>* match = nullptr;
        for (const auto& storedRow : stored.rows) {
          bool keyed = true;
          for (std::size_t c = 0; keyed && c < keyColumns; ++c) keyed = SameField(storedRow[c], row[c]);
          if (keyed) {
            match = &storedRow;
            break;
          }
        }
        // A key another dialect of the repository holds stays its own.
        const auto dialect = std::find(table.columns.begin(), table.columns.end(), "Dialect_id");
        const std::size_t dialectIndex = static_cast<std::size_t>(dialect - table.columns.begin());
        if (match != nullptr && dialectIndex >= keyColumns && dialectIndex < row.size() &&
            !SameField((*match)[dialectIndex], row[dialectIndex]))
          continue;
        bool same = match != nullptr;
        for (std::size_t c = keyColumns; same && c < row.size(); ++c) same = SameField((*match)[c], row[c]);
        if (same) continue;
        differs = true;
        if (!apply) return true;
        if (match == nullptr) {
          LoadTable(table.table, table.columns, {row});
          continue;
        }
        QString assignments;
        QString keys;
        ParamValues params;
        for (std::size_t c = 0; c < row.size(); ++c) {
          const QString column = QString::fromStdString(table.columns[c]);
          const QString placeholder = QStringLiteral(":p%1").arg(c);
          params["p" + std::to_string(c)] = row[c] ? QVariant(QString::fromStdString(*row[c])) : QVariant();
          QString& part = c < keyColumns ? keys : assignments;
          if (!part.isEmpty()) part += c < keyColumns ? QStringLiteral(" and ") : QStringLiteral(", ");
          part += column + QStringLiteral(" = ") + placeholder;
        }
        Run(QStringLiteral("update %1 set %2 where %3").arg(name, assignments, keys), params);
      }
    }
    return differs;
  };
  // A repository made without the program's dialect keeps its own alone.
  if (Run(QStringLiteral("select count(*) from Dialect where Dialect_id = %1").arg(kShippedDialect)).rows[0][0].toInt() == 0)
    return done;
  if (!sync(false)) return done;
  InTransaction([&] {
    // Two programs may upgrade at once: the second finds the work done.
    if (backend() == Backend::PostgreSQL) Execute(QStringLiteral("lock table ReservedWord, Alarm in exclusive mode"));
    done.dialectRowsChanged = sync(true);
  });
  return done;
}

void Repository::LoadTable(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<std::vector<std::optional<std::string>>>& rows) {
  QString names;
  QString values;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const QString column = QString::fromStdString(columns[i]);
    for (QChar c : column)
      if (!(c.isLetterOrNumber() || c == u'_')) Fail(QStringLiteral("Invalid column name ") + column, QString());
    if (i > 0) {
      names += QStringLiteral(", ");
      values += QStringLiteral(", ");
    }
    names += column;
    values += QStringLiteral(":p%1").arg(i);
  }
  const QString text = QStringLiteral("insert into %1( %2 ) values( %3 )")
                           .arg(QString::fromStdString(table), names, values);
  for (const auto& row : rows) {
    if (row.size() != columns.size())
      Fail(QStringLiteral("A row of %1 has %2 fields instead of %3")
               .arg(QString::fromStdString(table))
               .arg(row.size())
               .arg(columns.size()),
           QString());
    ParamValues params;
    for (std::size_t i = 0; i < row.size(); ++i)
      params["p" + std::to_string(i)] = row[i] ? QVariant(QString::fromStdString(*row[i])) : QVariant();
    Run(text, params);
  }
}

std::vector<QString> SplitSqlScript(std::string_view script) {
  std::vector<QString> statements;
  std::string current;
  auto flush = [&] {
    const QString statement = QString::fromStdString(current).trimmed();
    if (!statement.isEmpty()) statements.push_back(statement);
    current.clear();
  };
  const std::size_t n = script.size();
  for (std::size_t i = 0; i < n;) {
    const char c = script[i];
    if (c == '-' && i + 1 < n && script[i + 1] == '-') {
      while (i < n && script[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
      const std::size_t end = script.find("*/", i + 2);
      i = end == std::string_view::npos ? n : end + 2;
    } else if (c == '\'' || c == '"') {
      std::size_t end = i + 1;
      while (end < n && script[end] != c) ++end;
      end = end < n ? end + 1 : n;
      current.append(script.substr(i, end - i));
      i = end;
    } else if (c == '$') {
      // A dollar quote $tag$ ... $tag$ (PostgreSQL function bodies).
      std::size_t tagEnd = i + 1;
      while (tagEnd < n && (std::isalnum(static_cast<unsigned char>(script[tagEnd])) || script[tagEnd] == '_')) ++tagEnd;
      if (tagEnd < n && script[tagEnd] == '$') {
        const std::string_view tag = script.substr(i, tagEnd - i + 1);
        const std::size_t close = script.find(tag, tagEnd + 1);
        const std::size_t end = close == std::string_view::npos ? n : close + tag.size();
        current.append(script.substr(i, end - i));
        i = end;
      } else {
        current.push_back(c);
        ++i;
      }
    } else if (c == ';') {
      flush();
      ++i;
    } else {
      current.push_back(c);
      ++i;
    }
  }
  flush();
  return statements;
}

}  // namespace ambrix
