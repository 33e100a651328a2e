#include "repository_fixture.h"

#include "../support/skip_outside_ci.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>

namespace ambrix::test {

namespace {

std::atomic<int> scratch_counter{0};

const std::vector<std::pair<std::string, int>>& TestTypes() {
  // name, Num (generation order)
  static const std::vector<std::pair<std::string, int>> types{
      {"default", 1},
      {"rule", 2},
      {"domain", 3},
      {"table", 4},
      {"view", 12},
      {"procedure", 13},
      {"function", 11},
      {"constraint primary key", 5},
      {"constraint default", 6},
      {"constraint rule", 7},
      {"constraint unique", 8},
      {"constraint foreign key", 9},
      {"index", 10},
      {"trigger", 14},
  };
  return types;
}

}  // namespace

ScratchDatabase::ScratchDatabase(Backend backend) : backend_(backend) {
  if (backend == Backend::SQLite) {
    dir_ = std::make_unique<QTemporaryDir>();
    location_.backend = Backend::SQLite;
    location_.path = dir_->filePath(QStringLiteral("repository.sqlite3")).toStdString();
    created_ = true;
    return;
  }
  const char* server = std::getenv("AMBRIX_TEST_PG");
  if (!server || !*server) return;
  server_ = server;
  const RepositoryLocation admin = ParseRepositoryLocation(server_);
  const std::string name =
      "ambrix_test_" + std::to_string(::getpid()) + "_" + std::to_string(scratch_counter.fetch_add(1));
  Repository::Connect(admin)->Execute(QString::fromStdString("create database " + name));
  location_ = admin;
  location_.database = name;
  created_ = true;
}

ScratchDatabase::~ScratchDatabase() {
  if (backend_ != Backend::PostgreSQL || !created_) return;
  try {
    Repository::Connect(ParseRepositoryLocation(server_))
        ->Execute(QString::fromStdString("drop database if exists " + location_.database + " with ( force )"));
  } catch (const std::exception&) {
    // A database left behind goes with the throwaway server.
  }
}

bool ScratchDatabase::Available(std::string* why) const {
  if (!created_ && why) *why = "AMBRIX_TEST_PG is not set: no PostgreSQL server to test on (scripts/pg-test-server.sh starts one)";
  return created_;
}

int TestTypeId(const std::string& name) {
  const auto& types = TestTypes();
  for (std::size_t i = 0; i < types.size(); ++i)
    if (types[i].first == name) return static_cast<int>(i) + 1;
  if (name == "other") return static_cast<int>(types.size()) + 1;
  ADD_FAILURE() << "no test type " << name;
  return 0;
}

void LoadTestDialect(Repository& repository) {
  repository.LoadTable("Dialect", {"Dialect_id", "Name"}, {{"7", "Test SQL"}, {"8", "Other SQL"}});
  std::vector<std::vector<std::optional<std::string>>> types;
  std::vector<std::vector<std::optional<std::string>>> links;
  for (const auto& [name, num] : TestTypes()) {
    const std::string id = std::to_string(TestTypeId(name));
    types.push_back({id, name, std::nullopt, std::to_string(num)});
    links.push_back({id, "7"});
  }
  types.push_back({std::to_string(TestTypeId("other")), "other", std::nullopt, "20"});
  links.push_back({std::to_string(TestTypeId("other")), "8"});
  repository.LoadTable("TypeObject", {"TypeObject_id", "Name", "ParentTypeObject_id", "Num"}, types);
  repository.LoadTable("TypeObjectDialect", {"TypeObject_id", "Dialect_id"}, links);
  repository.LoadTable("ReservedWord", {"Dialect_id", "StartWord", "TypeReservedWord", "EndWord", "IsWord", "IsMain"},
                       {{"7", ".", "OBJECT_DIV", std::nullopt, "0", "0"},
                        {"7", ",", "LIST_DIV", std::nullopt, "0", "0"},
                        {"7", "(", "BLOCK", ")", "0", "0"},
                        {"7", "'", "TEXT", "'", "0", "0"},
                        {"7", "\"", "TEXT", "\"", "0", "0"},
                        {"8", "[", "OBJECT_NAME", "]", "0", "0"},
                        {"7", "--", "COMMENT", std::nullopt, "0", "0"},
                        {"7", "create table", "DML", std::nullopt, "1", "1"}});
  repository.LoadTable("Alarm", {"Alarm_id", "VarName", "Name", "Dialect_id"},
                       {{"1", "systable", "System table", "7"},
                        {"2", "sysview", "System view", "7"},
                        {"3", "sysproc", "System procedure", "7"},
                        {"4", "sysdb", "System database", "7"},
                        {"5", "sysglobvar", "Global variable", "7"},
                        {"6", "dbcc", "DBCC command", "7"},
                        {"7", "dynamicsql", "Dynamic SQL", "7"},
                        {"8", "triggerinsteadof", "INSTEAD OF trigger", "7"},
                        {"9", "systable", "System table (other)", "8"}});
}

void ScratchTest::SetUp() {
  scratch_ = std::make_unique<ScratchDatabase>(GetParam());
  std::string why;
  if (!scratch_->Available(&why)) AMBRIX_SKIP_OUTSIDE_CI(why);
}

void ScratchTest::TearDown() { scratch_.reset(); }

void BackendTest::SetUp() {
  ScratchTest::SetUp();
  if (Unavailable()) return;
  repository_ = Repository::Connect(scratch_->location());
  repository_->Install(/*withDialectRows=*/false);
  LoadTestDialect(*repository_);
}

void BackendTest::TearDown() {
  repository_.reset();
  ScratchTest::TearDown();
}

int BackendTest::AddProject(const std::string& name, int dialectId) {
  const QueryResult result = repo().RunNamed("dsProject.Insert", {{"Name", QString::fromStdString(name)},
                                                                  {"Dialect_id", dialectId},
                                                                  {"DNS", QVariant()}});
  return result.rows.at(0).at(0).toInt();
}

int BackendTest::AddObject(int projectId, const std::string& type, const std::string& name, int parentId,
                           const std::string& source) {
  repo().RunNamed("cmdScriptAppend", {{"Object", QString::fromStdString(name)},
                                      {"ParentObject_id", parentId > 0 ? QVariant(parentId) : QVariant()},
                                      {"TypeObject_id", TestTypeId(type)},
                                      {"Project_id", projectId},
                                      {"SourceScript", QString::fromStdString(source)}});
  const QueryResult found = repo().RunNamed("dsScript", {{"Project_id", projectId},
                                                         {"Object", QString::fromStdString(name)},
                                                         {"TypeObject_id", TestTypeId(type)},
                                                         {"ParentObject_id", parentId > 0 ? QVariant(parentId) : QVariant()}});
  return found.rows.at(0).at(0).toInt();
}

void BackendTest::AddAlarm(int objectId, int alarmId, int line, int pos, const std::string& word) {
  repo().RunNamed("cmdAddAlarm", {{"Object_id", objectId},
                                  {"Alarm_id", alarmId},
                                  {"NumLine", line},
                                  {"NumPos", pos},
                                  {"Word", QString::fromStdString(word)}});
}

std::string BackendParamName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

}  // namespace ambrix::test
