#pragma once

#include <string>
#include <string_view>

#include "report/conversion_report.h"
#include "text/json_string.h"

namespace ambrix::report {

/// The conversion report as one HTML page that needs nothing else: totals
/// per object type with a bar each, the warnings in a table filtered by kind
/// and type, and each object's source and converted script side by side with
/// the warned words marked. The objects' texts travel in a JSON block and an
/// object's view is built only when it is opened, so a page of thousands of
/// objects opens at once. `report` is shown in its present order (see
/// TConversionReport::Sort).
std::string RenderHtmlReport(const TConversionReport& report);

/// (Written to its file with WriteWholeFile, as the target script is.)

/// `text` for HTML text or a quoted attribute value: & < > " ' escaped.
std::string HtmlEscaped(std::string_view text);

/// `text` as a JSON string that may stand inside a <script> element: besides
/// what JSON needs, < > & and the line separators U+2028 U+2029 are written
/// as \u escapes, and a byte that is not UTF-8 as U+FFFD.
inline void AppendScriptJsonString(std::string& out, std::string_view text) {
  AppendJsonString(out, text, TJsonStyle::InScript);
}

}  // namespace ambrix::report
