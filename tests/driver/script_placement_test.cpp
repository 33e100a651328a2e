// What generation tells about the file it writes (where each creation script
// starts), and the compilation run without a file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "operations_fixture.h"
#include "text/encoding.h"

namespace ambrix {
namespace {

using ::testing::HasSubstr;

// Two tables, the first with a primary key, and a procedure reading a system
// table on its third line.
const std::string kScript =
    "CREATE TABLE T1 (a int NOT NULL)\nGO\n"
    "ALTER TABLE T1 ADD CONSTRAINT PK_T1 PRIMARY KEY (a)\nGO\n"
    "CREATE TABLE T2 (\n  b int,\n  c varchar(10))\nGO\n"
    "CREATE PROCEDURE P1\nAS\n  SELECT name FROM sysobjects\nGO\n";

class ScriptPlacement : public test::OperationsTest {};

TEST_P(ScriptPlacement, EachCreationScriptIsPlacedAtTheLineWhereItStandsInTheFile) {
  Import(kScript);
  for (const char* encoding : {"utf-8", "windows-1251"}) {
    std::map<int, int> placed;
    m().OnScriptPlaced = [&](int objectId, int line) { placed[objectId] = line; };
    TOptAddScript options = AllTypes(Path("out.sql"));
    options.OutputEncoding = encoding;
    m().GenerateScript(options);

    const std::vector<std::string> lines = SplitLines(ReadFile(Path("out.sql")));
    ASSERT_EQ(placed.size(), 4u) << encoding;
    for (const std::string name : {"T1", "PK_T1", "T2", "P1"}) {
      const int line = placed[ObjectId(name)];
      ASSERT_GE(line, 4) << name;
      // The print line of the object stands three lines above its script.
      EXPECT_EQ(lines[static_cast<std::size_t>(line - 4)], "/* -------------- */ print '" + name + "'") << name;
      const std::vector<std::string> dest = SplitLines(*Object(name).dest);
      for (std::size_t k = 0; k < dest.size(); ++k)
        EXPECT_EQ(lines[static_cast<std::size_t>(line - 1) + k], dest[k]) << name << " line " << k;
    }
  }
}

TEST_P(ScriptPlacement, CompilePendingCompilesWithoutWritingAFile) {
  Import(kScript);
  TOptAddScript options = AllTypes("");
  m().CompilePending(options);
  for (const test::StoredObject& object : Objects()) EXPECT_TRUE(object.dest.has_value()) << object.name;
  EXPECT_THAT(Alarms(), ::testing::SizeIs(1));
  EXPECT_EQ(FolderFiles(), std::vector<std::string>{"import.sql"});

  // A second run finds nothing pending and keeps the alarms.
  log_.clear();
  m().CompilePending(options);
  EXPECT_THAT(Alarms(), ::testing::SizeIs(1));
  EXPECT_THAT(log_, ::testing::Not(::testing::Contains(HasSubstr("Скомпилирован"))));
}

TEST_P(ScriptPlacement, AScriptWithBareLineEndsCountsEachOfThemOnce) {
  Import(kScript);
  m().CompilePending(AllTypes(""));
  // A stored script may end its lines with LF or a lone CR as well as CR LF.
  repo().Run(QStringLiteral("update MetaObject set DestScript = :Dest where Object_id = :Id"),
             {{"Dest", QStringLiteral("create table T1 (\r  a int,\n  z int\r\n)\r\r")}, {"Id", ObjectId("T1")}});
  std::map<int, int> placed;
  m().OnScriptPlaced = [&](int objectId, int line) { placed[objectId] = line; };
  m().GenerateScript(AllTypes(Path("out.sql")));

  // T1's script takes six lines (five line ends, the last two lines empty);
  // T2, the next table, follows after GO, a blank line, its print line, GO
  // and a blank line.
  const std::vector<std::string> lines = SplitLines(ReadFile(Path("out.sql")));
  const int t1 = placed[ObjectId("T1")];
  const int next = placed[ObjectId("T2")];
  ASSERT_GE(t1, 4);
  EXPECT_EQ(next, t1 + 6 + 5);
  EXPECT_EQ(lines[static_cast<std::size_t>(next - 4)], "/* -------------- */ print 'T2'");
  EXPECT_EQ(lines[static_cast<std::size_t>(next - 1)], SplitLines(*Object("T2").dest).front());
}

AMBRIX_ALL_BACKENDS(ScriptPlacement);

}  // namespace
}  // namespace ambrix
