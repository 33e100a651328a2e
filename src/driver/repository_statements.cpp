#include "driver/repository_statements.h"

#include <initializer_list>

#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

QString Join(std::initializer_list<const char*> lines, const char* separator) {
  QString text;
  bool first = true;
  for (const char* line : lines) {
    if (!first) text += QString::fromLatin1(separator);
    text += QString::fromUtf8(line);
    first = false;
  }
  return text;
}

// SQL Anywhere keeps its lines joined by CR LF, as the statements were
// written; the other sets use plain line feeds.
QString Crlf(std::initializer_list<const char*> lines) { return Join(lines, "\r\n"); }
QString Lf(std::initializer_list<const char*> lines) { return Join(lines, "\n"); }

void AddSqlAnywhere(std::map<std::string, QString>& s) {
  s["dsProject"] = Crlf({"select *", "from Project"});
  s["dsProjectExists"] = Crlf({"select Project_id", "from Project", "where Project_id = :Project_id"});
  s["dsDialect"] = Crlf({"select *", "from Dialect"});
  s["dsTypeObject"] = Crlf({"select ",
                            "  t.TypeObject_id, Upper( t.Name ) as Name, t.ParentTypeObject_id, t.Num",
                            "from TypeObject t", "  key join TypeObjectDialect d",
                            "where d.Dialect_id = :Dialect_id", "order by t.TypeObject_id"});
  s["dsTreeObject"] = Crlf({"call sp_get_TreeObject ( :Project_id )"});
  s["dsParentScript"] = Crlf({"select m.Object_id", "from MetaObject m",
                              "where m.Project_id = :Project_id and", "  m.Object = :Object and",
                              "  m.TypeObject_id = :TypeObject_id"});
  s["dsResevedWord"] = Crlf({"select *", "from ReservedWord", "where Dialect_id = :Dialect_id"});
  s["dsObjectType"] = Crlf({"select o.SourceScript", "from MetaObject o", "  key join TypeObject t", "where ",
                            "  o.Project_id = :Project_id and", "  o.Object = :Object and",
                            "  Lower( t.Name ) in ( 'default', 'rule' )", "order by o.Object_id"});
  s["dsScript"] = Crlf({"select *", "from MetaObject m", "where ", "  m.Project_id = :Project_id and",
                        "  m.Object = :Object and", "  m.TypeObject_id = :TypeObject_id and",
                        "  IsNull( m.ParentObject_id, 0 ) = IsNull( :ParentObject_id, 0 )"});
  s["dsObjectScript"] = Crlf({"select ", "  o.Object_id, Upper( t.Name ) as TypeObjectName, o.Object,",
                              "  o.ParentObject_id, p.Object as ParentObject, ",
                              "  o.SourceScript, o.DestScript, o.DropScript,",
                              "  Upper( pt.Name ) as ParentTypeObjectName", "from MetaObject o",
                              "  key join TypeObject t",
                              "  left join MetaObject p on p.Object_id = o.ParentObject_id",
                              "  left join TypeObject pt on pt.TypeObject_id = p.TypeObject_id",
                              "where o.Object_id = :Object_id"});
  s["dsAlarm"] = Crlf({"select Alarm_id, Upper( VarName ) as VarName", "from Alarm",
                       "where Dialect_id = :Dialect_id"});
  s["dsAlarmObject"] = Crlf({"select Number() as ID,",
                             "  t.Name as TypeObjectName, mo.Object_id, mo.Object as ObjectName, ",
                             "  a.Name as AlarmName, ao.Word, ao.NumLine, ao.NumPos", "from TypeObject t",
                             "  key join MetaObject mo", "  key join AlarmObject ao", "  key join Alarm a",
                             "where mo.Project_id = :Project_id"});
  s["cmdScriptAppend"] =
      Crlf({"insert into MetaObject( Object, ParentObject_id, TypeObject_id, Project_id, SourceScript )",
            "values( :Object, :ParentObject_id, :TypeObject_id, :Project_id, :SourceScript )"});
  s["cmdScriptUpdate"] = Crlf({"update MetaObject", "set SourceScript = :SourceScript,", "  DestScript = null,",
                               "  DropScript = null", "where Object_id = :Object_id"});
  s["cmdDestScriptUpdate"] = Crlf({"update MetaObject", "set DestScript = :DestScript,",
                                   "  DropScript = :DropScript", "where Object_id = :Object_id"});
  s["cmdObjectDelete"] = Crlf({"delete from MetaObject", "where Object_id = :Object_id"});
  s["cmdObjectDeleteAll"] = Crlf({"update MetaObject ", "set DestScript = null, DropScript = null ", "where ",
                                  "  Project_id = :Project_id and",
                                  "  IsNull( :TypeObject_id, TypeObject_id ) = TypeObject_id"});
  s["cmdAddAlarm"] = Crlf({"insert into AlarmObject( Object_id, Alarm_id, NumLine, NumPos, Word )",
                           "values( :Object_id, :Alarm_id, :NumLine, :NumPos, :Word )"});
  s["cmdDeleteAlarm"] = Crlf({"delete AlarmObject", "where Object_id = :Object_id"});
  s["cmdDeleteAlarmAll"] = Crlf({"delete AlarmObject", "where Object_id in (", "  select Object_id from MetaObject",
                                 "  where Project_id = :Project_id and",
                                 "    IsNull( :TypeObject_id, TypeObject_id ) = TypeObject_id )"});
  // An object stored with its compilation result at once (reverse-engineering
  // that compiles what it reads).
  s["cmdScriptAppendCompiled"] = Crlf(
      {"insert into MetaObject( Object, ParentObject_id, TypeObject_id, Project_id, SourceScript, DestScript, DropScript )",
       "values( :Object, :ParentObject_id, :TypeObject_id, :Project_id, :SourceScript, :DestScript, :DropScript )"});
  // The keys, types and names of a project's objects, read once by
  // reverse-engineering where the program can compare names as the server
  // does (SQLite), to spare the look-up of objects the project lacks.
  s["dsObjectKeys"] = Crlf({"select m.Object_id, m.TypeObject_id, m.Object, m.ParentObject_id",
                            "from MetaObject m", "where m.Project_id = :Project_id"});
  s["dsCompiledCounts"] = Crlf({"select t.Name as TypeObject, count( m.DestScript ) as Compiled",
                                "from MetaObject m", "  key join TypeObject t", "where m.Project_id = :Project_id",
                                "group by t.Name"});
  s["dsIndexNames"] = Crlf({"select o.Object_id, o.Object, p.Object as ParentObject", "from MetaObject o",
                            "  left join MetaObject p on p.Object_id = o.ParentObject_id",
                            "where o.Project_id = :Project_id and",
                            "  o.TypeObject_id in ( :IndexType, :UniqueType )", "order by o.Object_id"});
}

// Statements that SQLite and PostgreSQL write alike. Explicit joins stand for
// "key join"; the result columns are listed instead of "*"; rows come back in
// a fixed order where the reader takes "the first" of several.
void AddCommon(std::map<std::string, QString>& s) {
  s["dsProject"] = Lf({"select Project_id, Name, Dialect_id, DNS", "from Project", "order by Project_id"});
  s["dsProject.Insert"] = Lf({"insert into Project( Name, Dialect_id, DNS )",
                              "values( :Name, :Dialect_id, :DNS )", "returning Project_id"});
  s["dsProject.Update"] = Lf({"update Project", "set Name = :Name,", "  Dialect_id = :Dialect_id,",
                              "  DNS = :DNS", "where Project_id = :Project_id"});
  s["dsProject.Delete"] = Lf({"delete from Project", "where Project_id = :Project_id"});
  s["dsProjectExists"] = Lf({"select Project_id", "from Project", "where Project_id = :Project_id"});
  s["dsDialect"] = Lf({"select Dialect_id, Name", "from Dialect", "order by Dialect_id"});
  s["dsTypeObject"] = Lf({"select", "  t.TypeObject_id, upper( t.Name ) as Name, t.ParentTypeObject_id, t.Num",
                          "from TypeObject t",
                          "  join TypeObjectDialect d on d.TypeObject_id = t.TypeObject_id",
                          "where d.Dialect_id = :Dialect_id", "order by t.TypeObject_id"});
  s["dsResevedWord"] = Lf({"select Dialect_id, StartWord, TypeReservedWord, EndWord, IsWord, IsMain",
                           "from ReservedWord", "where Dialect_id = :Dialect_id", "order by ReservedWord_id"});
  s["dsObjectScript"] = Lf({"select", "  o.Object_id, upper( t.Name ) as TypeObjectName, o.Object,",
                            "  o.ParentObject_id, p.Object as ParentObject,",
                            "  o.SourceScript, o.DestScript, o.DropScript,",
                            "  upper( pt.Name ) as ParentTypeObjectName", "from MetaObject o",
                            "  join TypeObject t on t.TypeObject_id = o.TypeObject_id",
                            "  left join MetaObject p on p.Object_id = o.ParentObject_id",
                            "  left join TypeObject pt on pt.TypeObject_id = p.TypeObject_id",
                            "where o.Object_id = :Object_id"});
  s["dsAlarm"] = Lf({"select Alarm_id, upper( VarName ) as VarName", "from Alarm",
                     "where Dialect_id = :Dialect_id", "order by Alarm_id"});
  s["dsAlarmObject"] = Lf({"select row_number() over ( order by ao.AlarmObject_id ) as ID,",
                           "  t.Name as TypeObjectName, mo.Object_id, mo.Object as ObjectName,",
                           "  a.Name as AlarmName, ao.Word, ao.NumLine, ao.NumPos", "from TypeObject t",
                           "  join MetaObject mo on mo.TypeObject_id = t.TypeObject_id",
                           "  join AlarmObject ao on ao.Object_id = mo.Object_id",
                           "  join Alarm a on a.Alarm_id = ao.Alarm_id", "where mo.Project_id = :Project_id",
                           "order by ao.AlarmObject_id"});
  s["cmdScriptAppend"] =
      Lf({"insert into MetaObject( Object, ParentObject_id, TypeObject_id, Project_id, SourceScript )",
          "values( :Object, :ParentObject_id, :TypeObject_id, :Project_id, :SourceScript )"});
  s["cmdScriptUpdate"] = Lf({"update MetaObject", "set SourceScript = :SourceScript,", "  DestScript = null,",
                             "  DropScript = null", "where Object_id = :Object_id"});
  s["cmdDestScriptUpdate"] = Lf({"update MetaObject", "set DestScript = :DestScript,",
                                 "  DropScript = :DropScript", "where Object_id = :Object_id"});
  s["cmdObjectDelete"] = Lf({"delete from MetaObject", "where Object_id = :Object_id"});
  s["cmdObjectDeleteAll"] = Lf({"update MetaObject", "set DestScript = null, DropScript = null", "where",
                                "  Project_id = :Project_id and",
                                "  coalesce( :TypeObject_id, TypeObject_id ) = TypeObject_id"});
  s["cmdAddAlarm"] = Lf({"insert into AlarmObject( Object_id, Alarm_id, NumLine, NumPos, Word )",
                         "values( :Object_id, :Alarm_id, :NumLine, :NumPos, :Word )"});
  s["cmdDeleteAlarm"] = Lf({"delete from AlarmObject", "where Object_id = :Object_id"});
  // The alarms a reset of cmdObjectDeleteAll makes stale.
  s["cmdDeleteAlarmAll"] = Lf({"delete from AlarmObject", "where Object_id in (", "  select Object_id from MetaObject",
                               "  where Project_id = :Project_id and",
                               "    coalesce( :TypeObject_id, TypeObject_id ) = TypeObject_id )"});
  s["cmdScriptAppendCompiled"] = Lf(
      {"insert into MetaObject( Object, ParentObject_id, TypeObject_id, Project_id, SourceScript, DestScript, DropScript )",
       "values( :Object, :ParentObject_id, :TypeObject_id, :Project_id, :SourceScript, :DestScript, :DropScript )"});
  s["dsObjectKeys"] = Lf({"select m.Object_id, m.TypeObject_id, m.Object, m.ParentObject_id",
                          "from MetaObject m", "where m.Project_id = :Project_id"});
  // The compiled objects of a project per type (project show).
  s["dsCompiledCounts"] = Lf({"select t.Name as TypeObject, count( m.DestScript ) as Compiled",
                              "from MetaObject m", "  join TypeObject t on t.TypeObject_id = m.TypeObject_id",
                              "where m.Project_id = :Project_id", "group by t.Name"});
  s["dsIndexNames"] = Lf({"select o.Object_id, o.Object, p.Object as ParentObject", "from MetaObject o",
                          "  left join MetaObject p on p.Object_id = o.ParentObject_id",
                          "where o.Project_id = :Project_id and",
                          "  o.TypeObject_id in ( :IndexType, :UniqueType )", "order by o.Object_id"});
}

// SQLite compares type names ignoring case through the columns' NOCASE
// collation (see schema_sqlite.sql); object names are compared folded (see
// FoldedName), as the reference server compares them.
void AddSQLite(std::map<std::string, QString>& s) {
  AddCommon(s);
  s["dsTreeObject"] = Lf({
      "with o as (",
      "  select m.Object_id, m.Object, m.ParentObject_id, m.TypeObject_id, t.Name as TypeName",
      "  from MetaObject m",
      "    join TypeObject t on t.TypeObject_id = m.TypeObject_id",
      "  where m.Project_id = :Project_id )",
      "select distinct 0 as Level, 'T' || o.TypeObject_id as ID, null as ParentID, null as Object_id,",
      "  o.TypeName as Object, o.TypeName as TypeObject, null as ParentObject_id, null as ParentObject",
      "from o where o.ParentObject_id is null",
      "union all",
      "select 1, 'O' || o.Object_id, 'T' || o.TypeObject_id, o.Object_id,",
      "  o.Object, o.TypeName, null, null",
      "from o where o.ParentObject_id is null",
      "union all",
      "select distinct 2, 'O' || o.ParentObject_id || 'T' || o.TypeObject_id, 'O' || o.ParentObject_id, null,",
      "  o.TypeName, o.TypeName, o.ParentObject_id, p.Object",
      "from o join MetaObject p on p.Object_id = o.ParentObject_id",
      "union all",
      "select 3, 'O' || o.Object_id, 'O' || o.ParentObject_id || 'T' || o.TypeObject_id, o.Object_id,",
      "  o.Object, o.TypeName, o.ParentObject_id, p.Object",
      "from o join MetaObject p on p.Object_id = o.ParentObject_id",
      "order by 1, 5, 2"});
  // A binding reads a default or a rule: another object of that name (a
  // table, say) is not what it binds.
  // The scripts come as UTF-8 bytes (a blob) and are stored as the text they
  // are: no conversion through UTF-16 (see AppendCompiledObject).
  s["cmdScriptAppendCompiled"] = Lf(
      {"insert into MetaObject( Object, ParentObject_id, TypeObject_id, Project_id, SourceScript, DestScript, DropScript )",
       "values( :Object, :ParentObject_id, :TypeObject_id, :Project_id, cast( :SourceScript as text ),",
       "  cast( :DestScript as text ), cast( :DropScript as text ) )"});
}

// PostgreSQL compares names case-sensitively, so the lookups fold both sides
// (see FoldedName; the repository's index is on the folded name).
// Unquoted aliases come back in lower case; columns are read by name
// ignoring case. Null parent keys sort first, as on the reference server.
void AddPostgreSQL(std::map<std::string, QString>& s) {
  AddCommon(s);
  s["dsTreeObject"] = Lf({"select *", "from sp_get_TreeObject( :Project_id )"});
}

QString Num(int value) { return QString::number(value); }
QString Str(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

const char* BackendName(Backend backend) {
  switch (backend) {
    case Backend::SQLite: return "SQLite";
    case Backend::PostgreSQL: return "PostgreSQL";
    case Backend::SqlAnywhere: return "SQL Anywhere";
  }
  return "?";
}

StatementSet::StatementSet(Backend backend) : backend_(backend) {
  switch (backend) {
    case Backend::SQLite: AddSQLite(texts_); break;
    case Backend::PostgreSQL: AddPostgreSQL(texts_); break;
    case Backend::SqlAnywhere: AddSqlAnywhere(texts_); break;
  }
  if (backend == Backend::SqlAnywhere) return;
  // The look-ups by name compare folded names, as the index does (its
  // expression must be written alike for the planner to use it).
  const QString name = FoldedName(QStringLiteral("m.Object")) + QStringLiteral(" = ") +
                       FoldedName(QStringLiteral(":Object"));
  const QString parent = backend == Backend::SQLite ? QStringLiteral(":ParentObject_id")
                                                    : QStringLiteral("cast( :ParentObject_id as integer )");
  texts_["dsParentScript"] = QStringLiteral(
                                 "select m.Object_id\nfrom MetaObject m\nwhere m.Project_id = :Project_id and\n  ") +
                             name + QStringLiteral(" and\n  m.TypeObject_id = :TypeObject_id\norder by m.Object_id");
  // A binding reads a default or a rule: another object of that name (a
  // table, say) is not what it binds.
  texts_["dsObjectType"] = QStringLiteral(
                               "select m.SourceScript\nfrom MetaObject m\n"
                               "  join TypeObject t on t.TypeObject_id = m.TypeObject_id\nwhere\n"
                               "  m.Project_id = :Project_id and\n  ") +
                           name + QStringLiteral(" and\n  lower( t.Name ) in ( 'default', 'rule' )\norder by m.Object_id");
  texts_["dsScript"] = QStringLiteral(
                           "select m.Object_id, m.Object, m.ParentObject_id, m.TypeObject_id, m.Project_id,\n"
                           "  m.SourceScript\nfrom MetaObject m\nwhere\n  m.Project_id = :Project_id and\n  ") +
                       name + QStringLiteral(" and\n  m.TypeObject_id = :TypeObject_id and\n  coalesce( m.ParentObject_id, 0 ) = coalesce( ") +
                       parent + QStringLiteral(", 0 )\norder by m.Object_id");
}

QString StatementSet::FoldedName(const QString& operand) const {
  // SQLite: the program's own function (Repository registers it on each
  // connection). PostgreSQL: translate() with the letters of the text
  // layer's case table (its lower() would follow the server's locale).
  if (backend_ == Backend::SQLite) return QStringLiteral("fold_name( ") + operand + QStringLiteral(" )");
  QString capitals, smalls;
  for (char32_t c = 0; c < 0x500; ++c) {
    const char32_t small = LowerChar(c);
    if (small == c) continue;
    capitals += QString::fromUcs4(&c, 1);
    smalls += QString::fromUcs4(&small, 1);
  }
  return QStringLiteral("translate( %1, '%2', '%3' )").arg(operand, capitals, smalls);
}

QString StatementSet::ObjectNameIndex(bool unique) const {
  return QStringLiteral("create %1index MetaObject_Name on MetaObject( Project_id, %2, TypeObject_id, "
                        "coalesce( ParentObject_id, 0 ) )")
      .arg(unique ? QStringLiteral("unique ") : QString(), FoldedName(QStringLiteral("Object")));
}

const QString& StatementSet::Text(const std::string& name) const {
  auto it = texts_.find(name);
  if (it == texts_.end())
    throw Error(std::string("Repository statement ") + name + " is not defined for " + BackendName(backend_));
  return it->second;
}

std::vector<std::string> StatementSet::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : texts_) names.push_back(entry.first);
  return names;
}

QString StatementSet::ObjectCountStatement(int projectId) const {
  if (backend_ == Backend::SqlAnywhere)
    return Crlf({"select t.Name, count( o.Object_id ) as CountObject", "from MetaObject o",
                 "  key join TypeObject t", "where Project_id = "}) +
           Num(projectId) + Crlf({"", "group by t.Name", "order by t.Name"});
  return Lf({"select t.Name, count( o.Object_id ) as CountObject", "from MetaObject o",
             "  join TypeObject t on t.TypeObject_id = o.TypeObject_id", "where o.Project_id = "}) +
         Num(projectId) + Lf({"", "group by t.Name", "order by t.Name"});
}

// The type list holds only the fixed quoted names of TOptAddScript; the
// project key is a number: nothing the user typed reaches these texts.
namespace {
QString TypeNameIn(Backend backend) {
  return backend == Backend::PostgreSQL ? QStringLiteral("lower( t.Name ) in (") : QStringLiteral("t.Name in (");
}
QString JoinType(Backend backend, const char* indent) {
  return QString::fromLatin1(indent) + (backend == Backend::SqlAnywhere
                                            ? QStringLiteral("key join TypeObject t")
                                            : QStringLiteral("join TypeObject t on t.TypeObject_id = o.TypeObject_id"));
}
QString NullsFirst(Backend backend) {
  return backend == Backend::PostgreSQL ? QStringLiteral(" nulls first") : QString();
}
QString Eol(Backend backend) { return backend == Backend::SqlAnywhere ? QStringLiteral("\r\n") : QStringLiteral("\n"); }
}  // namespace

QString StatementSet::AlarmPurgeStatement(int projectId, const std::string& typeList) const {
  const QString n = Eol(backend_);
  return QStringLiteral("delete from AlarmObject") + n + QStringLiteral("where Object_id in (") + n +
         QStringLiteral("  select o.Object_id") + n + QStringLiteral("  from MetaObject o") + n +
         JoinType(backend_, "    ") + n + QStringLiteral("  where ") + TypeNameIn(backend_) + Str(typeList) +
         QStringLiteral(") and o.DestScript is null and o.Project_id = ") + Num(projectId) + QStringLiteral(" )");
}

// The shared shape of statements 3 to 5: objects of the listed types of one
// project, joined to their type.
QString StatementSet::TypeListQuery(const QString& columns, const QString& condition, int projectId,
                                    const std::string& typeList, const QString& order) const {
  const QString n = Eol(backend_);
  const QString project = backend_ == Backend::SqlAnywhere ? QStringLiteral("Project_id = ") : QStringLiteral("o.Project_id = ");
  return QStringLiteral("select ") + columns + n + QStringLiteral("from MetaObject o") + n + JoinType(backend_, "  ") +
         n + QStringLiteral("where ") + TypeNameIn(backend_) + Str(typeList) + QStringLiteral(") and ") + condition +
         QStringLiteral(" and ") + project + Num(projectId) + n + QStringLiteral("order by ") + order;
}

QString StatementSet::ObjectsToCompileStatement(int projectId, const std::string& typeList) const {
  const QString parent = backend_ == Backend::SqlAnywhere ? QStringLiteral("ParentObject_id") : QStringLiteral("o.ParentObject_id");
  return TypeListQuery(QStringLiteral("o.Object_id"), QStringLiteral("o.DestScript is null"), projectId, typeList,
                       parent + NullsFirst(backend_) + QStringLiteral(", t.TypeObject_id, o.Object_id"));
}

namespace {
// A script column of the generation queries. SQLite hands a text over as
// UTF-16 and the script file wants the UTF-8 it stores: read as a blob, the
// stored bytes come as they are.
QString ScriptColumn(Backend backend, const char* name) {
  const QString column = QStringLiteral("o.") + QString::fromLatin1(name);
  if (backend != Backend::SQLite) return column;
  return QStringLiteral("cast( ") + column + QStringLiteral(" as blob ) as ") + QString::fromLatin1(name);
}
}  // namespace

QString StatementSet::ObjectSourcesStatement(int count) const {
  const QString n = Eol(backend_);
  QString keys;
  for (int i = 0; i < count; ++i) keys += (i > 0 ? QStringLiteral(", :") : QStringLiteral(":")) + Str(ObjectSourceKey(i));
  return QStringLiteral("select o.Object_id, upper( t.Name ) as TypeObjectName, o.Object,") + n +
         QStringLiteral("  ( select p.Object from MetaObject p where p.Object_id = o.ParentObject_id ) as ParentObject,") +
         n + QStringLiteral("  ") + ScriptColumn(backend_, "SourceScript") + QStringLiteral(",") + n +
         QStringLiteral("  ( select upper( pt.Name ) from MetaObject p join TypeObject pt on pt.TypeObject_id = p.TypeObject_id") +
         n + QStringLiteral("    where p.Object_id = o.ParentObject_id ) as ParentTypeObjectName") + n +
         QStringLiteral("from MetaObject o") + n +
         JoinType(backend_, "  ") + n + QStringLiteral("where o.Object_id in ( ") + keys + QStringLiteral(" )");
}

// Within a type, objects are created in the order the source created them
// (the order of their keys): a table may reference a table before it, a view
// read a view before it, as the source could. They are dropped the other way
// round.
// round. (The SQL Anywhere set keeps the order by name it was written with.)
QString StatementSet::DropScriptsStatement(int projectId, const std::string& typeList) const {
  return TypeListQuery(ScriptColumn(backend_, "DropScript"), QStringLiteral("o.DropScript is not null"), projectId, typeList,
                       QStringLiteral("t.Num desc, o.ParentObject_id") + NullsFirst(backend_) +
                           (backend_ == Backend::SqlAnywhere ? QStringLiteral(", o.Object") : QStringLiteral(", o.Object_id desc")));
}

QString StatementSet::CreationScriptsStatement(int projectId, const std::string& typeList) const {
  // The key tells the command line where each object's script lands in the
  // file; the SQL Anywhere set keeps the statement as the program always had it.
  const QString columns = backend_ == Backend::SqlAnywhere
                              ? QStringLiteral("o.Object, o.DestScript")
                              : QStringLiteral("o.Object, ") + ScriptColumn(backend_, "DestScript") +
                                    QStringLiteral(", o.Object_id");
  return TypeListQuery(columns, QStringLiteral("o.DestScript is not null"), projectId,
                       typeList,
                       QStringLiteral("t.Num, o.ParentObject_id") + NullsFirst(backend_) +
                           (backend_ == Backend::SqlAnywhere ? QStringLiteral(", o.Object") : QStringLiteral(", o.Object_id")));
}

const StatementSet& Statements(Backend backend) {
  static const StatementSet sqlite(Backend::SQLite);
  static const StatementSet postgresql(Backend::PostgreSQL);
  static const StatementSet sqlAnywhere(Backend::SqlAnywhere);
  switch (backend) {
    case Backend::SQLite: return sqlite;
    case Backend::PostgreSQL: return postgresql;
    case Backend::SqlAnywhere: return sqlAnywhere;
  }
  return sqlite;
}

std::vector<std::string> PlaceholderNames(const QString& text) {
  std::vector<std::string> names;
  const qsizetype n = text.size();
  auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c == u'\'' || c == u'"') {  // quoted string or identifier; a doubled quote stays inside
      for (++i; i < n; ++i) {
        if (text[i] == c) {
          if (i + 1 < n && text[i + 1] == c) ++i;
          else break;
        }
      }
    } else if (c == u'-' && i + 1 < n && text[i + 1] == u'-') {
      while (i < n && text[i] != u'\n') ++i;
    } else if (c == u'/' && i + 1 < n && text[i + 1] == u'*') {
      i = text.indexOf(QStringLiteral("*/"), i + 2);
      if (i < 0) break;
      ++i;
    } else if (c == u':') {
      if (i + 1 < n && text[i + 1] == u':') {  // a cast
        ++i;
        continue;
      }
      qsizetype end = i + 1;
      while (end < n && isNameChar(text[end])) ++end;
      if (end > i + 1) {
        std::string name = text.mid(i + 1, end - i - 1).toStdString();
        bool seen = false;
        for (const auto& known : names) seen = seen || known == name;
        if (!seen) names.push_back(name);
      }
      i = end - 1;
    }
  }
  return names;
}

}  // namespace ambrix
