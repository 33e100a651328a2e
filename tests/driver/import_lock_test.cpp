// Imports into one project from several programs at once: one stores at a
// time, the others wait; one that cannot wait long enough stores nothing.
// A batch holding an object the repository cannot store fails whole.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "operations_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::HasSubstr;

class ImportLock : public test::OperationsTest {
 protected:
  // Tables T0..T(n-1), each in its batch.
  std::string ManyTables(int n) {
    std::string script;
    for (int i = 0; i < n; ++i) script += "CREATE TABLE T" + std::to_string(i) + " (id int, name varchar(20))\nGO\n";
    return WriteFile("many.sql", script);
  }
  // Runs an import into the open project on a thread of its own, with its
  // own connection, as another program would; `waiting` counts the imports
  // that found the project locked.
  std::thread ImportElsewhere(const std::string& file, std::chrono::seconds wait, std::atomic<int>& waiting,
                              std::string& error) {
    return std::thread([this, file, wait, &waiting, &error] {
      try {
        TConvertDataModule other(location());
        other.ImportLockWait = wait;
        other.OnLog = [&waiting](const std::string& line) {
          if (line.find("ожидание") != std::string::npos) ++waiting;
        };
        other.SetProject(project_);
        other.AddScript(AllTypes(file));
      } catch (const std::exception& e) {
        error = e.what();
      }
    });
  }
};

TEST_P(ImportLock, TwoImportsIntoOneProjectAtOnceBothCompleteOneAfterTheOther) {
  const std::string file = ManyTables(150);
  // This connection holds the lock until both imports wait for it, so that
  // they surely run at once.
  repo().LockProject(project_, std::chrono::seconds(0), {});
  std::atomic<int> waiting{0};
  std::string errors[2];
  std::thread first = ImportElsewhere(file, std::chrono::seconds(600), waiting, errors[0]);
  std::thread second = ImportElsewhere(file, std::chrono::seconds(600), waiting, errors[1]);
  // A bound on the wait, not a measure of it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (waiting < 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(waiting, 2);
  repo().UnlockProject(project_);
  first.join();
  second.join();
  EXPECT_EQ(errors[0], "");
  EXPECT_EQ(errors[1], "");
  std::set<std::string> names;
  for (const test::StoredObject& object : Objects()) names.insert(object.name);
  EXPECT_EQ(Objects().size(), 150u);
  EXPECT_EQ(names.size(), 150u);
}

TEST_P(ImportLock, AnImportThatCannotWaitLongEnoughStoresNothing) {
  const std::string file = ManyTables(3);
  repo().LockProject(project_, std::chrono::seconds(0), {});
  std::atomic<int> waiting{0};
  std::string error;
  ImportElsewhere(file, std::chrono::seconds(0), waiting, error).join();
  repo().UnlockProject(project_);
  EXPECT_EQ(waiting, 1);
  EXPECT_THAT(error, HasSubstr("is being written by another program"));
  EXPECT_THAT(error, HasSubstr("nothing was stored"));
  EXPECT_TRUE(Objects().empty());
}

// A name made for an unnamed constraint of a table with a long name is over
// the repository's limit: that batch fails with a message that says so,
// the others are stored.
TEST_P(ImportLock, ABatchWithANameOverTheLimitFailsWholeAndTheRunGoesOn) {
  const std::string table(125, 'T');
  const std::string script = "CREATE TABLE " + table + " (id int NOT NULL)\nGO\n" +
                             "ALTER TABLE " + table + " ADD CONSTRAINT PK1 PRIMARY KEY (id), UNIQUE (id)\nGO\n" +
                             "CREATE TABLE Next1 (id int)\nGO\n";
  std::vector<TSkippedFailure> skipped;
  m().OnSkipped = [&](const TSkippedFailure& failure) { skipped.push_back(failure); };
  TOptAddScript options = AllTypes(WriteFile("long.sql", script));
  options.KeepGoing = true;
  m().AddScript(options);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].Line, 3);
  EXPECT_THAT(skipped[0].Message, HasSubstr("длиннее 128 символов (134)"));
  std::set<std::string> names;
  for (const test::StoredObject& object : Objects()) names.insert(object.name);
  EXPECT_EQ(names, (std::set<std::string>{table, "Next1"}));  // not PK1: its batch failed whole
}

AMBRIX_ALL_BACKENDS(ImportLock);

}  // namespace
}  // namespace ambrix
