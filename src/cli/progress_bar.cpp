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
    : stream_(stream), quiet_(quiet), bar_(!quiet && isatty(fileno(stream)) == 1) {}

Console::~Console() { Finish(); }

void Console::Log(const std::string& line) {
  if (quiet_) return;
  Report(line);
}

void Console::Report(const std::string& line) {
  Erase();
  std::fputs(line.c_str(), stream_);
  std::fputc('\n', stream_);
  if (shown_) Draw();
  std::fflush(stream_);
}

void Console::Start(int max) {
  max_ = std::max(max, 0);
  position_ = 0;
  drawnCells_ = drawnPercent_ = -1;
  if (!bar_) return;
  shown_ = true;
  Draw();
}

void Console::Step(int position) {
  position_ = position;
  if (!shown_) return;
  // Redraw only when the picture changes: millions of steps must stay cheap.
  const int percent = max_ > 0 ? static_cast<int>(100LL * std::min(position_, max_) / max_) : 100;
  if (percent == drawnPercent_) return;
  Draw();
}

void Console::Finish() {
  if (!shown_) return;
  Erase();
  shown_ = false;
  std::fflush(stream_);
}

void Console::Draw() {
  if (!bar_) return;
  const int percent = max_ > 0 ? static_cast<int>(100LL * std::min(position_, max_) / max_) : 100;
  const int width = TerminalWidth(stream_);
  std::string label = label_;
  const int cells = std::clamp(width - static_cast<int>(label.size()) - 10, 10, 50);
  const int filled = cells * percent / 100;
  std::string line = "\r" + label + (label.empty() ? "" : " ") + "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(cells - filled), ' ') + "] " + std::to_string(percent) + "%";
  std::fputs(line.c_str(), stream_);
  std::fputs("\033[K", stream_);
  std::fflush(stream_);
  drawnPercent_ = percent;
  drawnCells_ = filled;
}

void Console::Erase() {
  if (!shown_) return;
  std::fputs("\r\033[K", stream_);
}

}  // namespace ambrix::cli
