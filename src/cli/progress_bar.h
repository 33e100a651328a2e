#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace ambrix::cli {

/// Log lines and a progress bar on one stream (stderr). The bar is drawn
/// only when the stream is a terminal and the output is not quiet; a log
/// line clears it, is written, and the bar is drawn again under it. With
/// `quiet`, log lines are dropped too.
///
/// A run logs a line or two per object: hundreds of thousands for a large
/// script. The stream is given a buffer, and what was written reaches it at
/// most every tenth of a second (the bar drawn again each time), on Finish
/// and when the console goes; one write per line made the log cost more
/// than the conversion it reports.
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
  /// Removes the bar (the operation ended) and writes out what is buffered.
  void Finish();

  bool BarEnabled() const { return bar_; }

 private:
  void Draw();
  void Erase();
  // Writes out the buffer, with the bar under the lines, when the last time
  // is a tenth of a second ago.
  void Pace();
  void Flush();
  int Percent() const;

  std::FILE* stream_;
  bool quiet_;
  bool bar_;
  bool shown_ = false;     // an operation with a bar is under way
  bool onScreen_ = false;  // the bar is the last thing written
  std::chrono::steady_clock::time_point flushed_;
  std::string label_;
  int max_ = 0;
  int position_ = 0;
  int drawnCells_ = -1;
  int drawnPercent_ = -1;
};

}  // namespace ambrix::cli
