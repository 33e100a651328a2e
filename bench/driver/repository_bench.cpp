// Storing objects the way reverse-engineering does: per object one look-up by
// project, type and name, then one insert, each committed on its own. Runs on
// a SQLite file (write-ahead log), in memory, and on the PostgreSQL server
// named by AMBRIX_TEST_PG when it is set.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <QTemporaryDir>

#include "driver/data_set.h"
#include "driver/repository.h"
#include "driver/repository_init.h"

namespace ambrix {
namespace {

constexpr int kTableType = 4;  // "table" in the dialect the program carries

void StoreObjects(benchmark::State& state, Repository& repository) {
  const int count = static_cast<int>(state.range(0));
  const std::string source(600, 'x');  // a small table's script
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int project = repository.RunNamed("dsProject.Insert", {{"Name", QStringLiteral("bench %1").arg(round++)},
                                                                 {"Dialect_id", 1}})
                            .rows.at(0)
                            .at(0)
                            .toInt();
    DataSet lookup(repository, "dsScript");
    lookup.SetParam("Project_id", project);
    lookup.SetParam("TypeObject_id", kTableType);
    Command append(repository, "cmdScriptAppend");
    append.SetParam("ParentObject_id", QVariant());
    append.SetParam("TypeObject_id", kTableType);
    append.SetParam("Project_id", project);
    append.SetParam("SourceScript", QString::fromStdString(source));
    state.ResumeTiming();
    for (int i = 0; i < count; ++i) {
      const QString name = QStringLiteral("Table_%1").arg(i);
      lookup.SetParam("Object", name);
      lookup.Open();
      if (!lookup.IsEmpty()) state.SkipWithError("object already stored");
      append.SetParam("Object", name);
      append.Execute();
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_StoreObjects_SQLiteFile(benchmark::State& state) {
  QTemporaryDir dir;
  RepositoryLocation location;
  location.path = dir.filePath(QStringLiteral("repository.sqlite3")).toStdString();
  auto repository = Repository::Open(location);
  StoreObjects(state, *repository);
}
BENCHMARK(BM_StoreObjects_SQLiteFile)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_StoreObjects_SQLiteMemory(benchmark::State& state) {
  auto repository = Repository::Open(InMemoryRepositoryLocation());
  StoreObjects(state, *repository);
}
BENCHMARK(BM_StoreObjects_SQLiteMemory)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_StoreObjects_PostgreSQL(benchmark::State& state) {
  const char* server = std::getenv("AMBRIX_TEST_PG");
  if (!server || !*server) {
    state.SkipWithError("AMBRIX_TEST_PG is not set");
    for (auto _ : state) {
    }
    return;
  }
  const RepositoryLocation admin = ParseRepositoryLocation(server);
  const std::string name = "ambrix_bench_" + std::to_string(::getpid());
  Repository::Connect(admin)->Execute(QString::fromStdString("create database " + name));
  RepositoryLocation location = admin;
  location.database = name;
  {
    InitRepository(location);
    auto repository = Repository::Open(location);
    StoreObjects(state, *repository);
  }
  Repository::Connect(admin)->Execute(QString::fromStdString("drop database " + name + " with ( force )"));
}
BENCHMARK(BM_StoreObjects_PostgreSQL)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ambrix
