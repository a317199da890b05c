// torvameter-update-server --listen HOST:PORT --version TEXT --zip FILE
//   [--max-connections N] [--max-per-address N] [--max-waiting N]
//   [--request-ms MS] [--answer-ms MS] [--stall-ms MS] [--log-burst N]
// Answers TORVAmeter's update check with TEXT and sends FILE to the clients
// that ask for it. One line per connection on standard output; ends cleanly
// on SIGTERM or SIGINT.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "server.h"

namespace {

int stop_pipe[2] = {-1, -1};

void OnStopSignal(int) {
  int saved = errno;
  (void)!write(stop_pipe[1], "x", 1);
  errno = saved;
}

constexpr const char* kUsage =
    "usage: torvameter-update-server --listen HOST:PORT --version TEXT --zip FILE\n"
    "       [--max-connections N] [--max-per-address N] [--max-waiting N]\n"
    "       [--request-ms MS] [--answer-ms MS] [--stall-ms MS] [--log-burst N]\n";

int Usage(const std::string& message) {
  std::fprintf(stderr, "torvameter-update-server: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

bool ParseCount(const std::string& text, int& value) {
  char* end = nullptr;
  long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < 1 || parsed > 100'000'000) return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  torva::update_server::Options options;
  bool have_listen = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::puts("See man 8 torvameter-update-server.");
      return 0;
    }
    if (i + 1 >= argc) return Usage("missing value after " + arg);
    std::string value = argv[++i];
    bool ok = true;
    if (arg == "--listen")
      options.listen = value, have_listen = true;
    else if (arg == "--version")
      options.version = value;
    else if (arg == "--zip")
      options.zip = value;
    else if (arg == "--max-connections")
      ok = ParseCount(value, options.max_connections);
    else if (arg == "--max-per-address")
      ok = ParseCount(value, options.max_per_address);
    else if (arg == "--max-waiting")
      ok = ParseCount(value, options.max_waiting);
    else if (arg == "--request-ms")
      ok = ParseCount(value, options.request_ms);
    else if (arg == "--answer-ms")
      ok = ParseCount(value, options.answer_ms);
    else if (arg == "--stall-ms")
      ok = ParseCount(value, options.stall_ms);
    else if (arg == "--log-burst")
      ok = ParseCount(value, options.log_burst);
    else
      return Usage("unknown option " + arg);
    if (!ok) return Usage("bad value for " + arg);
  }
  if (!have_listen || options.version.empty() || options.zip.empty())
    return Usage("--listen, --version and --zip are required");

  if (pipe(stop_pipe) != 0) return 1;
  fcntl(stop_pipe[0], F_SETFD, FD_CLOEXEC);
  fcntl(stop_pipe[1], F_SETFD, FD_CLOEXEC);
  fcntl(stop_pipe[1], F_SETFL, O_NONBLOCK);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a client that went away is an error from send()

  return torva::update_server::Serve(options, stop_pipe[0], stdout);
}
