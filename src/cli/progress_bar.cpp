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

}  // namespace

Console::Console(std::FILE* stream, bool quiet)
    : stream_(stream), quiet_(quiet), bar_(!quiet && isatty(fileno(stream)) == 1),
      flushed_(std::chrono::steady_clock::now()) {
  // Before anything is written to the stream, as setvbuf requires.
  std::setvbuf(stream_, nullptr, _IOFBF, std::size_t{1} << 16);
}

Console::~Console() {
  Finish();
  std::fflush(stream_);
}

void Console::Log(const std::string& line) {
  if (quiet_) return;
  Report(line);
}

void Console::Report(const std::string& line) {
  Erase();
  std::fputs(line.c_str(), stream_);
  std::fputc('\n', stream_);
  Pace();
}

void Console::Pace() {
  const auto now = std::chrono::steady_clock::now();
  if (now - flushed_ < std::chrono::milliseconds(100)) return;
  Flush();
}

void Console::Flush() {
  flushed_ = std::chrono::steady_clock::now();
  // Drawn over itself when it is still the last line, under the log lines
  // written since when it is not.
  if (shown_ && (!onScreen_ || Percent() != drawnPercent_)) Draw();
  std::fflush(stream_);
}

int Console::Percent() const {
  return max_ > 0 ? static_cast<int>(100LL * std::min(position_, max_) / max_) : 100;
}

void Console::Start(int max) {
  max_ = std::max(max, 0);
  position_ = 0;
  drawnCells_ = drawnPercent_ = -1;
  if (!bar_) return;
  shown_ = true;
  Flush();
}

void Console::Step(int position) {
  position_ = position;
  if (!shown_) return;
  // Redraw only when the picture changes: millions of steps must stay cheap.
  if (Percent() == drawnPercent_) return;
  Pace();
}

void Console::Finish() {
  Erase();
  shown_ = false;
  Flush();
}

void Console::Draw() {
  if (!bar_) return;
  const int percent = Percent();
  const int width = TerminalWidth(stream_);
  std::string label = label_;
  const int cells = std::clamp(width - static_cast<int>(label.size()) - 10, 10, 50);
  const int filled = cells * percent / 100;
  std::string line = "\r" + label + (label.empty() ? "" : " ") + "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(cells - filled), ' ') + "] " + std::to_string(percent) + "%";
  std::fputs(line.c_str(), stream_);
  std::fputs("\033[K", stream_);
  onScreen_ = true;
  drawnPercent_ = percent;
  drawnCells_ = filled;
}

void Console::Erase() {
  if (!onScreen_) return;
  std::fputs("\r\033[K", stream_);
  onScreen_ = false;
}

}  // namespace ambrix::cli
