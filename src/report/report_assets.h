#pragma once

#include <string_view>

namespace ambrix::report {

/// The page's template, style sheet and script (the files beside this one,
/// report_page.html, report.css and report.js), compiled into the program;
/// empty when there is no such file.
std::string_view EmbeddedFile(std::string_view name);

}  // namespace ambrix::report
