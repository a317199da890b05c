#include "platform/headless/status_output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "text/utf8.h"

namespace torva {
StatusOutput::StatusOutput(std::FILE* out, bool terminal, int width)
    : out_(out), terminal_(terminal), width_(width < 20 ? 20 : width) {}

void StatusOutput::Line(const std::string& text) {
  // A line may hold several (the panel takes line feeds as breaks).
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    const std::string piece = text.substr(start, end == std::string::npos ? end : end - start);
    if (terminal_) {
      if (!piece.empty()) {
        shown_ = piece;
        Redraw();
      }
    } else if (!piece.empty() || !last_empty_) {
      Write(piece + "\n");
      last_empty_ = piece.empty();
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void StatusOutput::Progress(int value, int end) {
  if (!terminal_ || end <= 0) return;
  const int percent = value >= end ? -1 : value * 100 / end;
  if (percent == percent_) return;
  percent_ = percent;
  Redraw();
}

void StatusOutput::Note(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    if (c == '\r') c = '\n';
  }
  Write((terminal_ && drawn_ ? "\r\033[K" : "") + shown + "\n");
  last_empty_ = false;
  drawn_ = false;
  if (terminal_ && !shown_.empty()) Redraw();
}

void StatusOutput::Finish() {
  if (terminal_ && drawn_) Write("\n");
  drawn_ = false;
  shown_.clear();
  percent_ = -1;
}

void StatusOutput::Redraw() {
  std::string line = percent_ >= 0 ? "[" + std::to_string(percent_) + "%] " + shown_ : shown_;
  // One column stays free: a full line would wrap on some terminals.
  Write("\r\033[K" + line.substr(0, Utf8PrefixBytes(line, width_ - 1)));
  drawn_ = true;
}

void StatusOutput::Write(const std::string& text) {
  if (lost_) return;
  if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::fflush(out_) != 0)
    lost_ = true;
}

int TerminalWidth(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

}  // namespace torva
