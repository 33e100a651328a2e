#include "cli/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace ambrix::cli {

namespace {

int TerminalWidth(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

constexpr std::chrono::milliseconds kFlushEvery{100};

}  // namespace

Console::Console(std::FILE* stream, bool quiet)
    : stream_(stream), quiet_(quiet), bar_(!quiet && isatty(fileno(stream)) == 1),
      flushed_(std::chrono::steady_clock::now()) {
  // Before anything is written to the stream, as setvbuf requires.
  std::setvbuf(stream_, nullptr, _IOFBF, std::size_t{1} << 16);
  // Quiet, only diagnostics and errors are written, at the end of a run.
  if (!quiet_) writer_ = std::thread([this] { WriterLoop(); });
}

Console::~Console() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_all();
  if (writer_.joinable()) writer_.join();
  Finish();
}

void Console::WriterLoop() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    stop_.wait_for(lock, kFlushEvery);
    if (!stopping_ && (pending_ || (shown_ && Percent() != drawnPercent_))) Pace();
  }
}

void Console::Log(const std::string& line) {
  if (quiet_) return;
  Report(line);
}

void Console::Report(const std::string& line) {
  std::lock_guard lock(mutex_);
  Erase();
  std::fputs(line.c_str(), stream_);
  std::fputc('\n', stream_);
  pending_ = true;
  Pace();
}

void Console::Pace() {
  if (std::chrono::steady_clock::now() - flushed_ < kFlushEvery) return;
  Flush();
}

void Console::Flush() {
  flushed_ = std::chrono::steady_clock::now();
  pending_ = false;
  // Drawn over itself when it is still the last line, under the log lines
  // written since when it is not.
  if (shown_ && (!onScreen_ || Percent() != drawnPercent_)) Draw();
  std::fflush(stream_);
}

int Console::Percent() const {
  const int position = position_.load(std::memory_order_relaxed);
  return max_ > 0 ? static_cast<int>(100LL * std::min(position, max_) / max_) : 100;
}

void Console::Start(int max) {
  std::lock_guard lock(mutex_);
  max_ = std::max(max, 0);
  position_ = 0;
  drawnPercent_ = -1;
  if (!bar_) return;
  shown_ = true;
  Flush();
}

void Console::SetLabel(const std::string& label) {
  std::lock_guard lock(mutex_);
  label_ = label;
}

void Console::Step(int position) {
  // Millions of steps must stay cheap: the writer thread draws the bar again
  // when its picture has changed.
  position_.store(position, std::memory_order_relaxed);
}

void Console::Finish() {
  std::lock_guard lock(mutex_);
  Erase();
  shown_ = false;
  Flush();
}

void Console::Draw() {
  if (!bar_) return;
  const int percent = Percent();
  const int width = TerminalWidth(stream_);
  const int cells = std::clamp(width - static_cast<int>(label_.size()) - 10, 10, 50);
  const int filled = cells * percent / 100;
  std::string line = "\r" + label_ + (label_.empty() ? "" : " ") + "[" +
                     std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(cells - filled), ' ') + "] " + std::to_string(percent) + "%";
  std::fputs(line.c_str(), stream_);
  std::fputs("\033[K", stream_);
  onScreen_ = true;
  drawnPercent_ = percent;
}

void Console::Erase() {
  if (!onScreen_) return;
  std::fputs("\r\033[K", stream_);
  onScreen_ = false;
}

}  // namespace ambrix::cli
