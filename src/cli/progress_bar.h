#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace ambrix::cli {

/// Log lines and a progress bar on one stream (stderr). The bar is drawn
/// only when the stream is a terminal and the output is not quiet; a log
/// line clears it, is written, and the bar is drawn again under it. With
/// `quiet`, log lines are dropped too.
///
/// A run logs a line or two per object: hundreds of thousands for a large
/// script, and one write per line (and one redraw of the bar) made the log
/// cost more than the conversion it reports. The stream is given a buffer;
/// what was written reaches the stream a tenth of a second later at most,
/// the bar drawn again each time: a writer thread of the console writes out
/// what a quiet spell of the run (a long query, say) would otherwise hold
/// back. Finish and the end of the console write out the rest.
///
/// Every member is called from one thread, the one of the run.
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
  void SetLabel(const std::string& label);
  /// Before step `position` (1-based).
  void Step(int position);
  /// Removes the bar (the operation ended) and writes out what is buffered.
  void Finish();

  bool BarEnabled() const { return bar_; }

 private:
  // The members below run with mutex_ held.
  void Draw();
  void Erase();
  // Writes out the buffer, with the bar under the lines, when the last time
  // is a tenth of a second ago.
  void Pace();
  void Flush();
  int Percent() const;

  void WriterLoop();

  std::FILE* stream_;
  const bool quiet_;
  const bool bar_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  bool pending_ = false;   // written to the buffer and not yet to the stream
  bool shown_ = false;     // an operation with a bar is under way
  bool onScreen_ = false;  // the bar is the last thing written
  std::chrono::steady_clock::time_point flushed_;
  std::string label_;
  int max_ = 0;
  // Set by Step without the lock: steps are many, and most change nothing.
  std::atomic<int> position_ = 0;
  std::atomic<int> drawnPercent_ = -1;
  std::thread writer_;  // last: it starts once the rest is made
};

}  // namespace ambrix::cli
