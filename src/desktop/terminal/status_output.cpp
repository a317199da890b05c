#include "desktop/terminal/status_output.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "text/utf8.h"

namespace torva {
namespace {

constexpr const char* kClearLine = "\r\033[K";

// Rows of at most `columns` characters, broken where a space stands (the
// space is dropped); the rows after the first are indented by two. A word
// longer than a row (a path) stays whole.
std::string FoldedLine(std::string_view rest, std::size_t columns) {
  std::string folded;
  const std::string indent = "  ";
  bool first = true;
  while (Utf8Length(rest) + (first ? 0 : indent.size()) > columns) {
    const std::size_t room = columns - (first ? 0 : indent.size());
    const std::size_t space = rest.rfind(' ', Utf8PrefixBytes(rest, room));
    if (space == std::string_view::npos || space == 0) break;
    folded += (first ? "" : indent) + std::string(rest.substr(0, space)) + "\n";
    rest.remove_prefix(space + 1);
    first = false;
  }
  return folded + (first ? "" : indent) + std::string(rest);
}

// Each line of `text` folded.
std::string Folded(const std::string& text, std::size_t columns) {
  std::string folded;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    folded += FoldedLine(std::string_view(text).substr(start, end - start), columns) + "\n";
  return folded + FoldedLine(std::string_view(text).substr(start), columns);
}

}  // namespace

StatusOutput::StatusOutput(std::FILE* out, bool terminal, int width)
    : out_(out), terminal_(terminal), width_(width < 20 ? 20 : width) {}

void StatusOutput::Line(const std::string& text) {
  // A line may hold several (the panel takes line feeds as breaks).
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    const std::string piece = text.substr(start, end == std::string::npos ? end : end - start);
    if (!piece.empty() || !last_empty_) Print(piece);
    if (!piece.empty()) shown_ = piece;
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void StatusOutput::Progress(int value, int end) {
  if (!terminal_ || end <= 0) return;
  const int percent = value >= end ? -1 : value * 100 / end;
  if (percent == percent_) return;
  percent_ = percent;
  if (percent_ >= 0) {
    Redraw();
  } else if (drawn_) {
    Write(kClearLine);
    drawn_ = false;
  }
}

void StatusOutput::Note(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    if (c == '\r') c = '\n';
  }
  Print(shown);
}

void StatusOutput::Finish() {
  if (drawn_) Write(kClearLine);
  drawn_ = false;
  percent_ = -1;
}

void StatusOutput::Print(const std::string& line) {
  if (drawn_) Write(kClearLine);
  drawn_ = false;
  // On a terminal the rows fit, its last column free (a full row wraps on some
  // terminals); elsewhere (a log, a pipe) each line stays whole for grep.
  Write((terminal_ ? Folded(line, static_cast<std::size_t>(width_ - 1)) : line) + "\n");
  last_empty_ = line.empty();
  // The bar stays below what was printed while its step runs.
  if (terminal_ && percent_ >= 0) Redraw();
}

void StatusOutput::Redraw() {
  const std::string line = "[" + std::to_string(percent_) + "%] " + shown_;
  // One column stays free: a full line would wrap on some terminals.
  Write(kClearLine + line.substr(0, Utf8PrefixBytes(line, width_ - 1)));
  drawn_ = true;
}

void StatusOutput::CheckReaders() {
  // A pipe whose reader has gone reports an error (or a hang-up) to poll.
  for (const int fd : kWatched) {
    pollfd watched = {fd, 0, 0};
    if (::poll(&watched, 1, 0) == 1 && (watched.revents & (POLLERR | POLLHUP)) != 0) lost_ = true;
  }
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
