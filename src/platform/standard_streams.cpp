#include "platform/standard_streams.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace torva {
namespace {

bool Closed(int fd) { return fcntl(fd, F_GETFD) == -1; }

void Reserve(int fd) {
  const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  if (null >= 0 && null != fd) {
    dup2(null, fd);
    close(null);
  }
}

}  // namespace

ClosedStreams ReserveStandardStreams() {
  ClosedStreams closed{Closed(0), Closed(1), Closed(2)};
  // In order: open() takes the lowest free number.
  for (int fd = 0; fd <= 2; ++fd) {
    if (Closed(fd)) Reserve(fd);
  }
  return closed;
}

bool StandardInputIsTerminal() { return isatty(0) == 1; }

std::optional<std::string> ReadSecretLine(const std::string& prompt, std::size_t limit) {
  const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  const int in = tty >= 0 ? tty : 0, out = tty >= 0 ? tty : 2;
  auto done = [&](std::optional<std::string> line) {
    if (tty >= 0) close(tty);
    return line;
  };
  if (write(out, prompt.data(), prompt.size()) < 0) return done(std::nullopt);
  termios before{};
  const bool has_echo = tcgetattr(in, &before) == 0;
  if (has_echo) {
    termios quiet = before;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(in, TCSAFLUSH, &quiet);
  }
  // A signal's handler lets read fail with EINTR: the echo comes back first.
  std::string line;
  bool interrupted = false, failed = false;
  for (char c = 0;;) {
    const ssize_t n = read(in, &c, 1);
    interrupted = n < 0 && errno == EINTR;
    failed = n < 0;
    if (n <= 0 || c == '\n') break;
    if (line.size() < limit) line += c;
  }
  if (has_echo) tcsetattr(in, TCSAFLUSH, &before);
  // The line the prompt stands on ends; its loss costs only the look.
  if (interrupted) (void)!write(out, "\n", 1);
  if (failed) return done(std::nullopt);
  return done(line);
}

}  // namespace torva
