// The conversion report's page: every text from the input stays text, the
// totals count what the objects say, and the page does not depend on the
// order the objects came in. (How the page behaves in a browser is
// tests/report/browser_test.py's part.)

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include <unistd.h>

#include <gmock/gmock.h>

#include "driver/script_file.h"
#include "report/html_report.h"
#include "text/error.h"

namespace ambrix::report {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string Json(std::string_view text) {
  std::string out;
  AppendScriptJsonString(out, text);
  return out;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(ReportEscaping, HtmlTextAndAttributes) {
  const struct {
    std::string text, escaped;
  } cases[] = {
      {"plain Тест", "plain Тест"},
      {"a<b>&c", "a&lt;b&gt;&amp;c"},
      {"\"x\" 'y'", "&quot;x&quot; &#39;y&#39;"},
      {"&amp;", "&amp;amp;"},
  };
  for (const auto& c : cases) EXPECT_EQ(HtmlEscaped(c.text), c.escaped) << c.text;
}

TEST(ReportEscaping, JsonThatMayStandInAScriptElement) {
  const struct {
    std::string text, json;
  } cases[] = {
      {"Тест", "\"Тест\""},
      {"</script><!--", "\"\\u003c/script\\u003e\\u003c!--\""},
      {"a & b", "\"a \\u0026 b\""},
      {"\"q\" \\ /", "\"\\\"q\\\" \\\\ /\""},
      {"1\r\n2\t3", "\"1\\r\\n2\\t3\""},
      {std::string("nul\0bell\a", 9), "\"nul\\u0000bell\\u0007\""},
      {"\xE2\x80\xA8|\xE2\x80\xA9", "\"\\u2028|\\u2029\""},
      {"bad \xFF\xC3 end", "\"bad \\ufffd\\ufffd end\""},
      {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Json(c.text), c.json) << c.text;
}

// Names, sources, messages and the project's name made to break out of the
// page's text, attributes and data block.
TConversionReport HostileReport() {
  TConversionReport report;
  report.Project = "</title><script>alert(1)</script>";
  TReportObject table;
  table.Type = "table";
  table.Name = "<img src=x onerror=\"alert(2)\">";
  table.State = TObjectState::Converted;
  table.Source = "CREATE TABLE [x] (a varchar(10) DEFAULT '</script><script>alert(3)</script>')\r\n";
  table.Dest = "create table x ( a varchar(10) default '</SCRIPT ><script>alert(4)</script>' )";
  table.Warnings.push_back({"kind <u>&'\"", "</script>", 1, 3});
  TReportObject failed;
  failed.Type = "procedure\"><script>";
  failed.Name = "p";
  failed.State = TObjectState::Failed;
  failed.Failure = "<script>alert(5)</script>";
  report.Objects = {table, failed};
  report.Batches.push_back({"<dir>/a&b.sql", 7, "</td><script>alert(6)</script>"});
  report.Sort();
  return report;
}

TEST(ReportPage, NoTextOfTheInputBecomesMarkup) {
  const std::string page = RenderHtmlReport(HostileReport());
  // The data block and the page's script are the only script elements, and
  // each ends where it should: nothing of the input closed one early.
  EXPECT_EQ(Count(page, "<script"), 2u);
  EXPECT_EQ(Count(page, "</script>"), 2u);
  EXPECT_EQ(Count(std::regex_replace(page, std::regex("</script\\s*>", std::regex::icase), "</script>"), "</script>"), 2u);
  for (const char* raw : {"<img", "alert(1)</", "<u>", "</td><script>", "procedure\">", "</title><"})
    EXPECT_THAT(page, Not(HasSubstr(raw))) << raw;
  EXPECT_THAT(page, HasSubstr("<title>Отчёт о конвертации: &lt;/title&gt;&lt;script&gt;alert(1)&lt;/script&gt;</title>"));
  EXPECT_THAT(page, HasSubstr("<td>&lt;dir&gt;/a&amp;b.sql</td>"));
  EXPECT_THAT(page, HasSubstr("<th scope=\"row\">procedure&quot;&gt;&lt;script&gt;</th>"));
  EXPECT_THAT(page, HasSubstr("\\u003cimg src=x onerror=\\\"alert(2)\\\"\\u003e"));
}

TEST(ReportPage, TotalsCountEachTypesObjectsByOutcome) {
  TConversionReport report;
  auto add = [&](const char* type, int order, TObjectState state, int warnings) {
    TReportObject object;
    object.Type = type;
    object.TypeOrder = order;
    object.Name = type + std::to_string(report.Objects.size());
    object.State = state;
    for (int i = 0; i < warnings; ++i) object.Warnings.push_back({"k", "w", 1, 1});
    report.Objects.push_back(object);
  };
  add("view", 1, TObjectState::Converted, 0);
  add("table", 0, TObjectState::Converted, 2);
  add("table", 0, TObjectState::Failed, 0);
  add("table", 0, TObjectState::Converted, 0);
  add("view", 1, TObjectState::NotConverted, 0);
  add("table", 0, TObjectState::Converted, 1);
  report.Sort();
  const std::vector<TTypeTotals> totals = report.Totals();
  ASSERT_EQ(totals.size(), 3u);
  const struct {
    std::string type;
    int found, converted, failed, withWarnings, warnings;
  } expected[] = {{"table", 4, 3, 1, 2, 3}, {"view", 2, 1, 0, 0, 0}, {"", 6, 4, 1, 2, 3}};
  for (std::size_t i = 0; i < totals.size(); ++i) {
    SCOPED_TRACE(expected[i].type);
    EXPECT_EQ(totals[i].Type, expected[i].type);
    EXPECT_EQ(totals[i].Found, expected[i].found);
    EXPECT_EQ(totals[i].Converted, expected[i].converted);
    EXPECT_EQ(totals[i].Failed, expected[i].failed);
    EXPECT_EQ(totals[i].WithWarnings, expected[i].withWarnings);
    EXPECT_EQ(totals[i].Warnings, expected[i].warnings);
  }
  const std::string page = RenderHtmlReport(report);
  EXPECT_THAT(page, HasSubstr("<th scope=\"row\">table</th><td class=\"num\">4</td><td class=\"num\">3</td>"
                              "<td class=\"num\">1</td><td class=\"num\">2</td><td class=\"num\">3</td>"));
  // The bars: each segment's share of the largest type (4 objects, 240 wide).
  EXPECT_THAT(page, HasSubstr("<rect class=\"bar-clean\" x=\"0.0\" y=\"0\" width=\"60.0\""));
  EXPECT_THAT(page, HasSubstr("<rect class=\"bar-warned\" x=\"60.0\" y=\"0\" width=\"120.0\""));
  EXPECT_THAT(page, HasSubstr("<rect class=\"bar-other\" x=\"60.0\" y=\"0\" width=\"60.0\""));
}

TEST(ReportPage, TheOrderObjectsAndWarningsCameInDoesNotShow) {
  TConversionReport a;
  for (const char* name : {"b", "a", "c"}) {
    TReportObject object;
    object.Type = "view";
    object.TypeOrder = 1;
    object.Name = name;
    object.Warnings = {{"k2", "y", 3, 1}, {"k1", "x", 1, 5}, {"k1", "z", 1, 2}};
    a.Objects.push_back(object);
  }
  a.Objects[1].Type = "table";
  a.Objects[1].TypeOrder = 0;
  TConversionReport b = a;
  std::reverse(b.Objects.begin(), b.Objects.end());
  for (TReportObject& object : b.Objects) std::reverse(object.Warnings.begin(), object.Warnings.end());
  a.Sort();
  b.Sort();
  EXPECT_EQ(RenderHtmlReport(a), RenderHtmlReport(b));
  ASSERT_EQ(a.Objects.size(), 3u);
  EXPECT_EQ(a.Objects[0].Name, "a");  // the table first
  EXPECT_EQ(a.Objects[1].Name, "b");
  EXPECT_EQ(a.Objects[0].Warnings[0].Word, "z");  // line 1 column 2
  EXPECT_EQ(a.Objects[0].Warnings[2].Word, "y");
}

TEST(ReportFile, IsWrittenWholeOrNotAtAll) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("ambrix-report-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "r.html";
  WriteWholeFile(file.string(), RenderHtmlReport(HostileReport()));
  std::ifstream in(file, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, RenderHtmlReport(HostileReport()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1)
      << "a temporary file was left beside the report";
  try {
    WriteWholeFile((dir / "missing" / "r.html").string(), RenderHtmlReport(HostileReport()));
    ADD_FAILURE() << "a report in a missing folder was not refused";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("missing/r.html"));
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ambrix::report
