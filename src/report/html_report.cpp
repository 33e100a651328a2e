#include "report/html_report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "report/report_assets.h"
#include "text/error.h"
#include "text/json_string.h"
#include "text/utf8.h"

namespace ambrix::report {

namespace {

// The page's captions, which the page's script does not make.
constexpr const char* kStateNames[] = {"converted", "failed", "not-converted"};

std::string Number(long long value) { return std::to_string(value); }

// One bar of the totals chart: the type's objects as segments (converted
// without warnings, with warnings, failed, not converted), scaled to the
// largest type.
std::string Bar(const TTypeTotals& t, int largest) {
  constexpr int kWidth = 240;
  const int clean = std::max(0, t.Converted - t.WithWarnings);
  const int warned = std::min(t.WithWarnings, t.Converted);
  const int other = std::max(0, t.Found - t.Converted - t.Failed);
  const struct {
    int count;
    const char* cls;
  } segments[] = {{clean, "bar-clean"}, {warned, "bar-warned"}, {t.Failed, "bar-failed"}, {other, "bar-other"}};
  std::string svg = "<svg class=\"bar\" width=\"" + Number(kWidth) + "\" height=\"14\" viewBox=\"0 0 " + Number(kWidth) +
                    " 14\" aria-hidden=\"true\">";
  double x = 0;
  for (const auto& s : segments) {
    if (s.count == 0) continue;
    const double w = largest > 0 ? static_cast<double>(kWidth) * s.count / largest : 0;
    char rect[160];
    std::snprintf(rect, sizeof rect, "<rect class=\"%s\" x=\"%.1f\" y=\"0\" width=\"%.1f\" height=\"14\"/>", s.cls, x,
                  w);
    svg += rect;
    x += w;
  }
  return svg + "</svg>";
}

std::string TotalsRow(const TTypeTotals& t, int largest, bool sum) {
  const std::string cell = sum ? "th" : "td";
  std::string row = sum ? "<tr class=\"sum\"><th scope=\"row\">всего</th>"
                        : "<tr data-type=\"" + HtmlEscaped(t.Type) + "\"><th scope=\"row\">" + HtmlEscaped(t.Type) + "</th>";
  for (int value : {t.Found, t.Converted, t.Failed, t.WithWarnings, t.Warnings})
    row += "<" + cell + " class=\"num\">" + Number(value) + "</" + cell + ">";
  row += "<td>" + (sum ? std::string() : Bar(t, largest)) + "</td></tr>\n";
  return row;
}

std::string TotalsTable(const TConversionReport& report) {
  const std::vector<TTypeTotals> totals = report.Totals();
  int largest = 0;
  for (std::size_t i = 0; i + 1 < totals.size(); ++i) largest = std::max(largest, totals[i].Found);
  std::string html =
      "<table id=\"totals\" class=\"grid\">\n<thead><tr><th scope=\"col\">тип объектов</th><th scope=\"col\">найдено</th>"
      "<th scope=\"col\">сконвертировано</th><th scope=\"col\">с ошибкой</th><th scope=\"col\">с предупреждениями</th>"
      "<th scope=\"col\">предупреждений</th><th scope=\"col\">объекты типа</th></tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i + 1 < totals.size(); ++i) html += TotalsRow(totals[i], largest, false);
  html += "</tbody>\n<tfoot>\n" + TotalsRow(totals.back(), largest, true) + "</tfoot>\n</table>\n";
  return html;
}

std::string Summary(const TConversionReport& report) {
  const TTypeTotals all = report.Totals().back();
  std::string html = "<p id=\"summary\">Объектов: <b>" + Number(all.Found) + "</b>, сконвертировано: <b>" +
                     Number(all.Converted) + "</b>, с ошибкой: <b>" + Number(all.Failed) +
                     "</b>, предупреждений: <b>" + Number(all.Warnings) + "</b>";
  if (!report.Batches.empty()) html += ", пакетов с ошибкой: <b>" + Number(static_cast<long long>(report.Batches.size())) + "</b>";
  return html + ".</p>\n";
}

std::string BatchFailures(const TConversionReport& report) {
  if (report.Batches.empty()) return {};
  std::string html =
      "<section id=\"batches\">\n<h2>Пакеты, которые не удалось прочитать</h2>\n<table class=\"grid\">\n"
      "<thead><tr><th scope=\"col\">файл</th><th scope=\"col\">строка</th><th scope=\"col\">ошибка</th></tr></thead>\n<tbody>\n";
  for (const TReportBatchFailure& batch : report.Batches)
    html += "<tr><td>" + HtmlEscaped(batch.File) + "</td><td class=\"num\">" + Number(batch.Line) + "</td><td>" +
            HtmlEscaped(batch.Message) + "</td></tr>\n";
  return html + "</tbody>\n</table>\n</section>\n";
}

// The objects and warnings for the page's script, in compact rows:
//   types:    the type names, in the order of the totals
//   kinds:    the alarm kinds' texts, sorted
//   objects:  [type, name, parent, state, failure, source, dest]
//   warnings: [object, kind, line, column, word], by object and place
std::string DataBlock(const TConversionReport& report) {
  std::vector<std::string> types;
  std::map<std::string, int> kinds;
  for (const TReportObject& object : report.Objects) {
    if (std::find(types.begin(), types.end(), object.Type) == types.end()) types.push_back(object.Type);
    for (const TReportWarning& warning : object.Warnings) kinds.emplace(warning.Kind, 0);
  }
  int kindIndex = 0;
  for (auto& [text, index] : kinds) index = kindIndex++;
  std::size_t size = 256;
  for (const TReportObject& object : report.Objects) size += object.Source.size() + object.Dest.size() + 64;
  std::string out;
  out.reserve(size + size / 8);
  auto list = [&out](const auto& items, auto&& text) {
    bool first = true;
    for (const auto& item : items) {
      if (!first) out += ',';
      first = false;
      AppendScriptJsonString(out, text(item));
    }
  };
  out += "{\"project\":";
  AppendScriptJsonString(out, report.Project);
  out += ",\"states\":[";
  list(kStateNames, [](const char* s) { return std::string_view(s); });
  out += "],\"types\":[";
  list(types, [](const std::string& s) -> std::string_view { return s; });
  out += "],\"kinds\":[";
  list(kinds, [](const auto& entry) -> std::string_view { return entry.first; });
  out += "],\n\"objects\":[";
  for (std::size_t i = 0; i < report.Objects.size(); ++i) {
    const TReportObject& object = report.Objects[i];
    out += i ? ",\n[" : "\n[";
    out += Number(std::find(types.begin(), types.end(), object.Type) - types.begin());
    out += ',';
    AppendScriptJsonString(out, object.Name);
    out += ',';
    AppendScriptJsonString(out, object.Parent);
    out += ',' + Number(static_cast<int>(object.State)) + ',';
    AppendScriptJsonString(out, object.Failure);
    out += ',';
    AppendScriptJsonString(out, object.Source);
    out += ',';
    AppendScriptJsonString(out, object.Dest);
    out += ']';
  }
  out += "],\n\"warnings\":[";
  bool first = true;
  for (std::size_t i = 0; i < report.Objects.size(); ++i)
    for (const TReportWarning& warning : report.Objects[i].Warnings) {
      out += first ? "\n[" : ",\n[";
      first = false;
      out += Number(static_cast<long long>(i)) + ',' + Number(kinds.at(warning.Kind)) + ',' + Number(warning.Line) + ',' +
             Number(warning.Column) + ',';
      AppendScriptJsonString(out, warning.Word);
      out += ']';
    }
  out += "]}";
  return out;
}

// The page's template with each {{name}} replaced by its part; a name the
// template does not hold is an error of the program, not of the input.
std::string FillTemplate(std::string_view page, const std::map<std::string, std::string>& parts) {
  std::string out;
  std::size_t size = page.size();
  for (const auto& [name, text] : parts) size += text.size();
  out.reserve(size);
  std::size_t at = 0;
  while (true) {
    const std::size_t open = page.find("{{", at);
    if (open == std::string_view::npos) break;
    const std::size_t close = page.find("}}", open);
    if (close == std::string_view::npos) break;
    out.append(page, at, open - at);
    out += parts.at(std::string(page.substr(open + 2, close - open - 2)));
    at = close + 2;
  }
  out.append(page, at);
  return out;
}

std::string_view Asset(std::string_view name) {
  const std::string_view text = EmbeddedFile(name);
  if (text.empty()) throw Error("the report's resource " + std::string(name) + " is missing from the program");
  return text;
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RenderHtmlReport(const TConversionReport& report) {
  const std::string title = "Отчёт о конвертации: " + report.Project;
  return FillTemplate(Asset("report_page.html"), {{"title", HtmlEscaped(title)},
                                                  {"style", std::string(Asset("report.css"))},
                                                  {"summary", Summary(report)},
                                                  {"totals", TotalsTable(report)},
                                                  {"batches", BatchFailures(report)},
                                                  {"data", DataBlock(report)},
                                                  {"script", std::string(Asset("report.js"))}});
}

}  // namespace ambrix::report
