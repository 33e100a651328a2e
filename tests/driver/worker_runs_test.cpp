// Reverse-engineering and whole compilation runs with worker threads give
// what the same runs give on one thread: the same log lines in the same
// order, the same stored objects, alarms and generated file, the same
// failures passed over, and without KeepGoing the same first failure with
// the same repository state behind it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "operations_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::HasSubstr;

// Enough objects to keep several workers busy, and every kind of event a
// run has: a bound default read back through the source look-up (and one
// whose stored default fails it), a batch that does not parse, a procedure
// that fails to convert, a statement no command knows, alarms, an option
// batch and a last batch without GO.
std::string MixedScript() {
  std::string s =
      "SET QUOTED_IDENTIFIER ON\nGO\n"
      "CREATE DEFAULT df_zero AS 0\nGO\n"
      "create default df_low as 1\nGO\n"
      "CREATE TABLE [dbo].[Orders] (\n\t[Id] [int] NOT NULL ,\n\t[Qty] [int] NULL ,\n\t[Low] [int] NULL\n)\nGO\n"
      "exec sp_bindefault 'df_zero', 'Orders.Qty'\nGO\n"
      "exec sp_bindefault 'df_none', 'Orders.Low'\nGO\n"
      "CREATE PROCEDURE dbo.Broken @x money\nAS\n  SELECT ROUND(@x)\nGO\n"
      "CREATE PROCEDURE dbo.Open AS SELECT ((1)\nGO\n"
      "PRINT 'done'\nGO\n";
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    s += "CREATE TABLE T" + n + " (Id int NOT NULL, Name varchar(20) NULL)\nGO\n";
    s += "ALTER TABLE T" + n + " ADD CONSTRAINT PK_T" + n + " PRIMARY KEY (Id)\nGO\n";
    s += "CREATE VIEW V" + n + " AS SELECT name FROM sysobjects WHERE id = " + n + "\nGO\n";
    s += "CREATE PROCEDURE P" + n + " @a int AS\nBEGIN\n  SELECT COUNT_BIG(ALL Id) FROM T" + n +
         " WHERE Id != @a\n  EXEC sp_executesql N'select 1'\nEND\nGO\n";
  }
  s += "CREATE INDEX IX_T0 ON T0 (Name)\n";
  return s;
}

struct RunResult {
  std::vector<std::string> log;
  std::vector<test::StoredObject> objects;
  std::vector<test::StoredAlarm> alarms;
  std::string file;
  std::vector<std::string> skipped;
  std::string failure;  ///< the message of a run that stopped
};

class WorkerRuns : public test::OperationsTest {
 protected:
  RunResult Convert(int workers, bool keepGoing) {
    RunResult r;
    const int project = StartRun("Run" + std::to_string(++runs_), workers, r.skipped);
    log_.clear();
    TOptAddScript options = AllTypes(script_);
    options.KeepGoing = keepGoing;
    options.FileName = script_;
    try {
      m().AddScript(options);
      options.FileName = Path("out" + std::to_string(runs_) + ".sql");
      m().GenerateScript(options);
      r.file = WithoutDate(ReadFile(options.FileName));
    } catch (const Error& error) {
      r.failure = error.what();
    }
    // The project's name and file are the only differences between runs.
    for (std::string line : log_) {
      line = std::regex_replace(line, std::regex("out[0-9]+\\.sql"), "out.sql");
      r.log.push_back(line);
    }
    r.objects = Objects(project);
    r.alarms = Alarms(project);
    r.file = std::regex_replace(r.file, std::regex("Проект: \"Run[0-9]+\""), "Проект: \"Run\"");
    return r;
  }

  void ExpectSame(const RunResult& a, const RunResult& b) {
    EXPECT_EQ(a.log, b.log);
    EXPECT_EQ(a.file, b.file);
    EXPECT_EQ(a.skipped, b.skipped);
    EXPECT_EQ(a.failure, b.failure);
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (std::size_t i = 0; i < a.objects.size(); ++i) {
      EXPECT_EQ(a.objects[i].name, b.objects[i].name);
      EXPECT_EQ(a.objects[i].type, b.objects[i].type);
      EXPECT_EQ(a.objects[i].dest, b.objects[i].dest) << a.objects[i].name;
      EXPECT_EQ(a.objects[i].drop, b.objects[i].drop) << a.objects[i].name;
    }
    ASSERT_EQ(a.alarms.size(), b.alarms.size());
    for (std::size_t i = 0; i < a.alarms.size(); ++i) {
      EXPECT_EQ(a.alarms[i].object, b.alarms[i].object);
      EXPECT_EQ(a.alarms[i].varName, b.alarms[i].varName);
      EXPECT_EQ(a.alarms[i].line, b.alarms[i].line);
      EXPECT_EQ(a.alarms[i].pos, b.alarms[i].pos);
      EXPECT_EQ(a.alarms[i].word, b.alarms[i].word);
    }
  }

  void SetUp() override {
    OperationsTest::SetUp();
    if (Unavailable()) return;  // no server for this backend
    script_ = WriteFile("mixed.sql", MixedScript());
  }

  std::string script_;
  int runs_ = 0;
};

TEST_P(WorkerRuns, KeepGoingRunsGiveTheSameResultOnAnyNumberOfWorkers) {
  const RunResult alone = Convert(1, true);
  // The run did meet each kind of event the script holds.
  EXPECT_EQ(alone.failure, "");
  EXPECT_THAT(alone.file, HasSubstr("alter table [Orders] modify [Qty] default (0)"));
  ASSERT_EQ(alone.skipped.size(), 3u);
  EXPECT_THAT(alone.skipped[0], HasSubstr("Ошибка вложений разделителя"));
  EXPECT_THAT(alone.skipped[1], HasSubstr("Broken: Странная функция ROUND"));
  EXPECT_THAT(alone.skipped[2], HasSubstr("Orders_default_Low: Не найдено или неверное умолчание"));
  EXPECT_GE(alone.alarms.size(), 80u);

  for (int workers : {2, 5}) {
    SCOPED_TRACE(workers);
    ExpectSame(alone, Convert(workers, true));
  }
}

TEST_P(WorkerRuns, AStoppedRunStopsAtTheSameFailureWithTheSameStateBehind) {
  // Reverse-engineering stops at the batch that does not parse.
  const RunResult alone = Convert(1, false);
  EXPECT_THAT(alone.failure, HasSubstr("Ошибка вложений разделителя"));
  EXPECT_FALSE(alone.objects.empty());
  ExpectSame(alone, Convert(3, false));
}

TEST_P(WorkerRuns, ACompilationThatStopsLeavesTheSameObjectsCompiled) {
  // Without the batch that does not parse, the run reaches compilation and
  // stops at the first object that fails to convert.
  std::string script = MixedScript();
  const std::string open = "CREATE PROCEDURE dbo.Open AS SELECT ((1)\nGO\n";
  script.erase(script.find(open), open.size());
  script_ = WriteFile("mixed.sql", script);

  const RunResult alone = Convert(1, false);
  EXPECT_THAT(alone.failure, HasSubstr("Странная функция ROUND"));
  EXPECT_EQ(alone.file, "");
  ExpectSame(alone, Convert(4, false));
}

AMBRIX_ALL_BACKENDS(WorkerRuns);

}  // namespace
}  // namespace ambrix
