#pragma once

#include <cstdio>
#include <string>

namespace ambrix::cli {

/// Log lines and a progress bar on one stream (stderr). The bar is drawn
/// only when the stream is a terminal and the output is not quiet; a log
/// line clears it, is written, and the bar is drawn again under it. With
/// `quiet`, log lines are dropped too.
class Console {
 public:
  Console(std::FILE* stream, bool quiet);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  /// A log line of the converter (empty: a blank line).
  void Log(const std::string& line);
  /// A diagnostic or an error: written also when quiet.
  void Report(const std::string& line);

  /// A long operation of `max` steps starts; `label` names it on the bar.
  void Start(int max);
  void SetLabel(const std::string& label) { label_ = label; }
  /// Before step `position` (1-based).
  void Step(int position);
  /// Removes the bar (the operation ended).
  void Finish();

  bool BarEnabled() const { return bar_; }

 private:
  void Draw();
  void Erase();

  std::FILE* stream_;
  bool quiet_;
  bool bar_;
  bool shown_ = false;
  std::string label_;
  int max_ = 0;
  int position_ = 0;
  int drawnCells_ = -1;
  int drawnPercent_ = -1;
};

}  // namespace ambrix::cli
