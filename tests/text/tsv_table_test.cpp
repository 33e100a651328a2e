#include "text/tsv_table.h"

#include <gtest/gtest.h>

#include <string>

#include "text/error.h"

namespace ambrix {
namespace {

std::string ErrorOf(std::string_view text) {
  try {
    TTsvTable::Parse(text, "t.tsv");
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(TsvTable, ReadsFieldsByColumnName) {
  TTsvTable t = TTsvTable::Parse("Id\tStartWord\tEndWord\n1\t(\t)\n2\tCASE\t\\N\n", "t.tsv");
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Columns(), (std::vector<std::string>{"Id", "StartWord", "EndWord"}));
  EXPECT_EQ(t.Int(0, "Id"), 1);
  EXPECT_EQ(t.Text(0, "StartWord"), "(");
  EXPECT_EQ(t.Field(0, "EndWord"), std::optional<std::string>(")"));
  EXPECT_FALSE(t.Field(1, "EndWord").has_value()) << "\\N is NULL";
  EXPECT_EQ(t.Text(1, "EndWord"), "") << "NULL reads as empty text";
  EXPECT_EQ(t.LineOf(1), 3);
}

TEST(TsvTable, KeepsFieldsLiterally) {
  // No quoting and no trimming: quotes, blanks and an empty field stay as written.
  TTsvTable t = TTsvTable::Parse("A\tB\tC\n\" x \t'\t\n", "t.tsv");
  ASSERT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.Text(0, "A"), "\" x ");
  EXPECT_EQ(t.Text(0, "B"), "'");
  ASSERT_TRUE(t.Field(0, "C").has_value()) << "an empty field is the empty string, not NULL";
  EXPECT_EQ(*t.Field(0, "C"), "");
}

TEST(TsvTable, AcceptsByteOrderMarkCrLfAndMissingFinalLineEnd) {
  TTsvTable t = TTsvTable::Parse("\xEF\xBB\xBFName\tNum\r\nрус\t7\r\nx\t8", "t.tsv");
  EXPECT_EQ(t.Columns().front(), "Name");
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Text(0, "Name"), "рус");
  EXPECT_EQ(t.Int(1, "Num"), 8);
}

TEST(TsvTable, HeaderOnlyHasNoRows) {
  EXPECT_EQ(TTsvTable::Parse("A\tB\n", "t.tsv").RowCount(), 0);
}

TEST(TsvTable, RejectsMalformedFilesNamingFileAndLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "Файл данных t.tsv, строка 1: нет строки заголовка"},
      {"A\t\tC\n", "Файл данных t.tsv, строка 1: пустое имя столбца"},
      {"A\tA\n", "Файл данных t.tsv, строка 1: столбец A повторяется"},
      {"A\tB\n1\t2\n3\n", "Файл данных t.tsv, строка 3: полей 1, а в заголовке 2"},
      {"A\tB\n1\t2\t3\n", "Файл данных t.tsv, строка 2: полей 3, а в заголовке 2"},
      {"A\tB\n1\t2\n\n3\t4\n", "Файл данных t.tsv, строка 3: пустая строка"},
      {"A\tB\n1\t2\r3\n", "Файл данных t.tsv, строка 2: символ возврата каретки внутри строки"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(TsvTable, RejectsUnknownColumnsAndNonNumbers) {
  TTsvTable t = TTsvTable::Parse("A\tB\n12x\t\\N\n", "t.tsv");
  EXPECT_EQ(t.ColumnIndex("a"), -1) << "column names compare exactly";
  EXPECT_THROW(t.Field(0, "Z"), Error);
  EXPECT_THROW(t.Field(1, "A"), Error);
  EXPECT_THROW(t.Int(0, "A"), Error);
  EXPECT_THROW(t.Int(0, "B"), Error) << "NULL is no number";
}

}  // namespace
}  // namespace ambrix
