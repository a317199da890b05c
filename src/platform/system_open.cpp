#include "platform/system_open.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>

#include "platform/environment.h"

namespace torva {
namespace {

// The watcher's one-byte verdict on the opener.
constexpr char kVerdictOpened = 'o';
constexpr char kVerdictNoOpener = 'm';
constexpr char kVerdictFailed = 'f';

// Runs in the watcher process: starts the opener, waits for its end and
// writes the verdict. Only calls that are safe after fork().
[[noreturn]] void WatchOpener(const char* opener, char* const argv[],
                              const posix_spawn_file_actions_t* actions, int report) {
  pid_t opener_pid;
  char verdict;
  const int error =
      posix_spawnp(&opener_pid, opener, actions, nullptr, argv, InheritedEnvironment());
  if (error != 0) {
    verdict = error == ENOENT ? kVerdictNoOpener : kVerdictFailed;
  } else {
    int status = 0;
    while (waitpid(opener_pid, &status, 0) < 0 && errno == EINTR) {
    }
    verdict = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kVerdictOpened : kVerdictFailed;
  }
  // Nobody may be listening any more: the write then fails, which is fine.
  (void)!write(report, &verdict, 1);
  _exit(0);
}

// Waits up to `wait_ms` for the watcher's verdict. An opener still at work
// has not failed so far: it counts as opened.
char AwaitVerdict(int report, int wait_ms) {
  using std::chrono::steady_clock;
  const steady_clock::time_point deadline =
      steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now()).count();
    pollfd watch{report, POLLIN, 0};
    const int ready = poll(&watch, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready < 0 && errno == EINTR) continue;
    char verdict = kVerdictOpened;
    if (ready > 0 && read(report, &verdict, 1) != 1)
      verdict = kVerdictOpened;  // the watcher went without a word: nothing is known
    return verdict;
  }
}

}  // namespace

OpenOutcome SystemOpen(const std::string& target, int wait_ms) {
#ifdef __APPLE__
  const char* opener = "open";
#else
  const char* opener = "xdg-open";
#endif
  char* argv[] = {const_cast<char*>(opener), const_cast<char*>(target.c_str()), nullptr};

  // The verdict's pipe is closed on exec: only the watcher holds its end,
  // never the opener or the viewer it may start.
  int report[2];
  if (pipe(report) != 0) return OpenOutcome::kFailed;
  posix_spawn_file_actions_t actions;
  if (fcntl(report[0], F_SETFD, FD_CLOEXEC) != 0 || fcntl(report[1], F_SETFD, FD_CLOEXEC) != 0 ||
      posix_spawn_file_actions_init(&actions) != 0) {
    close(report[0]);
    close(report[1]);
    return OpenOutcome::kFailed;
  }
  if (posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) != 0 ||
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) != 0 ||
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    close(report[0]);
    close(report[1]);
    return OpenOutcome::kFailed;
  }

  // The opener is started and waited for by a watcher, a grandchild: the
  // intermediate child ends at once and is reaped here, so the watcher and
  // the opener belong to init, and an opener that takes its time is never
  // waited for beyond `wait_ms`.
  const pid_t middle = fork();
  if (middle == 0) {
    setsid();
    if (fork() != 0) _exit(0);
    close(report[0]);
    WatchOpener(opener, argv, &actions, report[1]);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(report[1]);
  if (middle < 0) {
    close(report[0]);
    return OpenOutcome::kFailed;
  }
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  const char verdict = AwaitVerdict(report[0], wait_ms);
  close(report[0]);
  switch (verdict) {
    case kVerdictNoOpener: return OpenOutcome::kNoOpener;
    case kVerdictFailed: return OpenOutcome::kFailed;
    default: return OpenOutcome::kOpened;
  }
}

}  // namespace torva
