// Reverse-engineering that compiles each object as it stores it
// (TOptAddScript::CompileOnImport) leaves the project as reverse-engineering
// followed by a compilation run does: the same scripts, drop scripts and
// alarms of every object, the same failures reported by the compilation run
// and the same generated file, with the calling thread alone and with
// workers. The objects whose compilation needs the repository or the names
// it stored wait for the compilation run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "operations_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::HasSubstr;

// A table; a key and an index that name it in other letter cases; a bound
// default read before the default it binds; a table stored again in another
// case; a procedure stored twice with different alarms; indexes of one name
// on two tables (two objects; the second is renamed in the target, which
// the compilation run decides); a procedure that fails to convert;
// procedures, a trigger and a view with alarms.
const std::string kScript =
    "SET QUOTED_IDENTIFIER ON\nGO\n"
    "CREATE TABLE [dbo].[Orders] (\n\t[Id] [int] NOT NULL ,\n\t[Qty] [int] NULL\n) ON [PRIMARY]\nGO\n"
    "CREATE TABLE Lines (Id int NOT NULL, OrderId int NULL)\nGO\n"
    "ALTER TABLE [dbo].[ORDERS] WITH NOCHECK ADD\n\tCONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([Id]) ON [PRIMARY]\n"
    "GO\n"
    "CREATE INDEX IX_Orders_Qty ON orders (Qty)\nGO\n"
    "ALTER TABLE Lines ADD CONSTRAINT PK_Lines PRIMARY KEY (Id)\nGO\n"
    "exec sp_bindefault 'df_zero', 'Orders.Qty'\nGO\n"
    "CREATE INDEX IX_Shared ON Lines (OrderId)\nGO\n"
    "CREATE PROCEDURE dbo.Report AS\n  SELECT name FROM sysobjects\nGO\n"
    "CREATE PROCEDURE dbo.Who AS\n  EXEC sp_who\nGO\n"
    "CREATE TRIGGER trI ON dbo.Lines INSTEAD OF INSERT AS BEGIN INSERT INTO Orders SELECT * FROM inserted END\nGO\n"
    "CREATE PROCEDURE dbo.Broken @x money\nAS\n  SELECT ROUND(@x)\nGO\n"
    "CREATE DEFAULT df_zero AS 0\nGO\n"
    "CREATE TABLE LINES (Id int NOT NULL, OrderId int NULL, Note varchar(10) NULL)\nGO\n"
    "CREATE PROCEDURE dbo.Report AS\n  EXEC sp_who\nGO\n"
    "CREATE INDEX IX_Shared ON Orders (Qty)\nGO\n"
    "CREATE VIEW V AS SELECT name FROM master.dbo.sysobjects\nGO\n";

// What the compilation run must still do after reading, and what reading
// already compiled.
// An object is named with its parent: "IX_Shared on Orders".
const std::vector<std::string> kDeferred{"Orders_default_Qty on Orders", "PK_Orders on Orders",
                                         "IX_Orders_Qty on Orders",      "Lines",
                                         "IX_Shared on Orders",          "Broken"};
const std::vector<std::string> kCompiledAtReading{"Orders",  "PK_Lines on Lines", "IX_Shared on Lines", "Report",
                                                  "Who",     "trI on Lines",      "df_zero",            "V"};

// A project's objects and alarms in a form to compare across projects: per
// object its type, parent and both scripts; the alarms as a sorted list.
struct ProjectState {
  std::map<std::string, std::string> objects;
  std::vector<std::string> alarms;
};

struct RunResult {
  ProjectState afterImport;
  ProjectState final;
  std::string file;
  std::vector<std::string> skipped;
  std::string failure;  ///< the message of a run that stopped
};

std::string Shown(const std::optional<std::string>& text) { return text ? "[" + *text + "]" : "null"; }

class CompileOnImport : public test::OperationsTest {
 protected:
  void SetUp() override {
    OperationsTest::SetUp();
    if (Unavailable()) return;  // no server for this backend
    script_ = WriteFile("script.sql", kScript);
  }

  ProjectState State(int project) {
    ProjectState state;
    for (const test::StoredObject& o : Objects(project))
      state.objects[o.name + (o.parent.empty() ? "" : " on " + o.parent)] =
          o.type + " parent=" + o.parent + " dest=" + Shown(o.dest) + " drop=" + Shown(o.drop);
    for (const test::StoredAlarm& a : Alarms(project))
      state.alarms.push_back(a.object + " " + a.varName + " " + std::to_string(a.line) + ":" +
                             std::to_string(a.pos) + " " + a.word);
    std::sort(state.alarms.begin(), state.alarms.end());
    return state;
  }

  // Reads the script into a new project and generates its file, as the
  // convert command does.
  RunResult Convert(bool compileOnImport, int workers, bool keepGoing) {
    RunResult r;
    const int project = StartRun("Run" + std::to_string(++runs_), workers, r.skipped);
    TOptAddScript options = AllTypes(script_);
    options.CompileOnImport = compileOnImport;
    options.KeepGoing = keepGoing;
    try {
      m().AddScript(options);
      r.afterImport = State(project);
      options.FileName = Path("out" + std::to_string(runs_) + ".sql");
      m().GenerateScript(options);
      static const std::regex name("Проект: \"Run[0-9]+\"");
      r.file = std::regex_replace(WithoutDate(ReadFile(options.FileName)), name, "Проект");
    } catch (const Error& error) {
      r.failure = error.what();
    }
    m().OnSkipped = nullptr;
    r.final = State(project);
    return r;
  }

  static void ExpectSameState(const ProjectState& a, const ProjectState& b) {
    EXPECT_EQ(a.objects, b.objects);
    EXPECT_EQ(a.alarms, b.alarms);
  }

  std::string script_;
  int runs_ = 0;
};

TEST_P(CompileOnImport, LeavesTheProjectAndTheFileAsACompilationRunDoes) {
  for (int workers : {1, 3}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    const RunResult plain = Convert(false, workers, true);
    // The script did give each case it is meant to hold.
    ASSERT_EQ(plain.failure, "");
    EXPECT_THAT(plain.file, HasSubstr("alter table [Orders] modify [Qty] default (0)"));
    ASSERT_EQ(plain.skipped.size(), 1u);
    EXPECT_THAT(plain.skipped[0], HasSubstr("Broken: Странная функция ROUND"));
    EXPECT_EQ(plain.final.objects.size(), 14u);
    EXPECT_THAT(plain.final.alarms, ::testing::Contains(HasSubstr("Report SysProc")));
    EXPECT_THAT(plain.final.alarms, ::testing::Contains(HasSubstr("trI TriggerInsteadOf")));

    const RunResult early = Convert(true, workers, true);
    EXPECT_EQ(early.failure, "");
    ExpectSameState(plain.final, early.final);
    EXPECT_EQ(plain.file, early.file);
    EXPECT_EQ(plain.skipped, early.skipped);
  }
}

TEST_P(CompileOnImport, LeavesObjectsThatNeedTheRepositoryOrItsStoredNamesToTheCompilationRun) {
  for (int workers : {1, 3}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    const RunResult early = Convert(true, workers, true);
    ASSERT_EQ(early.failure, "");
    const auto& objects = early.afterImport.objects;
    for (const std::string& name : kDeferred) {
      ASSERT_EQ(objects.count(name), 1u) << name;
      EXPECT_THAT(objects.at(name), HasSubstr("dest=null drop=null")) << name;
    }
    for (const std::string& name : kCompiledAtReading) {
      ASSERT_EQ(objects.count(name), 1u) << name;
      EXPECT_THAT(objects.at(name), ::testing::Not(HasSubstr("dest=null"))) << name;
    }
    // The procedure stored twice has the alarms of its second text only; a
    // deferred object has none yet.
    EXPECT_THAT(early.afterImport.alarms, ::testing::Contains(HasSubstr("Report SysProc")));
    EXPECT_THAT(early.afterImport.alarms, ::testing::Not(::testing::Contains(HasSubstr("Report SysTable"))));
    for (const std::string& alarm : early.afterImport.alarms)
      for (const std::string& name : kDeferred) EXPECT_NE(alarm.rfind(name + " ", 0), 0u) << alarm;
  }
}

// Without KeepGoing the object that fails to convert stops the compilation
// run in both cases, with the same message and no file written.
TEST_P(CompileOnImport, AFailingObjectStopsTheCompilationRunAsBefore) {
  for (int workers : {1, 3}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    const RunResult plain = Convert(false, workers, false);
    const RunResult early = Convert(true, workers, false);
    EXPECT_THAT(plain.failure, HasSubstr("Странная функция ROUND"));
    EXPECT_EQ(early.failure, plain.failure);
    EXPECT_EQ(early.file, "");
    EXPECT_EQ(early.afterImport.objects.size(), plain.afterImport.objects.size());
  }
}

// An alarm kind the dialect has no row for is a failure of the compilation
// run, which names it; reading stores every object all the same.
TEST_P(CompileOnImport, AnAlarmKindTheDialectLacksFailsTheCompilationRunNotTheReading) {
  repo().Run(QStringLiteral("update Alarm set VarName = 'Renamed' where VarName = 'SysProc'"));
  for (bool keepGoing : {false, true}) {
    for (int workers : {1, 3}) {
      SCOPED_TRACE("workers " + std::to_string(workers) + (keepGoing ? ", keep going" : ""));
      const RunResult plain = Convert(false, workers, keepGoing);
      const RunResult early = Convert(true, workers, keepGoing);
      if (!keepGoing) {
        EXPECT_EQ(plain.failure, "Имя предупреждения [SysProc] не найдено");
      }
      EXPECT_EQ(early.failure, plain.failure);
      EXPECT_EQ(early.afterImport.objects.size(), plain.afterImport.objects.size());
      EXPECT_EQ(early.skipped, plain.skipped);
      if (keepGoing) {
        ExpectSameState(plain.final, early.final);
        EXPECT_EQ(plain.file, early.file);
      }
    }
  }
}

AMBRIX_ALL_BACKENDS(CompileOnImport);

}  // namespace
}  // namespace ambrix
