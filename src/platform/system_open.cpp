#include "platform/system_open.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/environment.h"

namespace torva {

void SystemOpen(const std::string& target) {
#ifdef __APPLE__
  const char* opener = "open";
#else
  const char* opener = "xdg-open";
#endif
  char* argv[] = {const_cast<char*>(opener), const_cast<char*>(target.c_str()), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  // The opener runs as a grandchild: the intermediate child ends at once and
  // is reaped here, so the opener belongs to init and is never waited for.
  const pid_t middle = fork();
  if (middle == 0) {
    setsid();
    pid_t opener_pid;
    posix_spawnp(&opener_pid, opener, &actions, nullptr, argv, InheritedEnvironment());
    _exit(0);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (middle > 0) {
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

}  // namespace torva
