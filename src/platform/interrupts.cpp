#include "platform/interrupts.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace torva {
namespace {

volatile std::sig_atomic_t stop_signal = 0;
int interrupt_pipe[2] = {-1, -1};

extern "C" void NoteInterrupt(int signal) {
  if (stop_signal == 0) stop_signal = signal;
  const int saved = errno;
  if (interrupt_pipe[1] >= 0) (void)!write(interrupt_pipe[1], "!", 1);
  errno = saved;
}

bool MakeInterruptPipe() {
  if (interrupt_pipe[0] >= 0) return true;
  int fds[2];
  if (pipe(fds) != 0) return false;
  for (const int fd : fds) {
    if (fcntl(fd, F_SETFD, FD_CLOEXEC) != 0 || fcntl(fd, F_SETFL, O_NONBLOCK) != 0) {
      close(fds[0]);
      close(fds[1]);
      return false;
    }
  }
  interrupt_pipe[0] = fds[0];
  interrupt_pipe[1] = fds[1];
  return true;
}

}  // namespace

bool CatchInterrupts() {
  MakeInterruptPipe();
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  sigemptyset(&action.sa_mask);
  bool caught = true;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    caught = sigaction(signal, &action, nullptr) == 0 && caught;
  return signal(SIGPIPE, SIG_IGN) != SIG_ERR && caught;
}

std::string UncaughtInterruptsWarning(int error) {
  return std::string("Ctrl-C, SIGTERM and SIGHUP cannot be caught (") + std::strerror(error) +
         "): they would end TORVAmeter at once, leaving a render's work files behind.";
}

int InterruptSignal() { return stop_signal; }

int InterruptFd() { return interrupt_pipe[0]; }

const char* InterruptName(int signal) {
  return signal == SIGINT ? "SIGINT" : signal == SIGHUP ? "SIGHUP" : "SIGTERM";
}

}  // namespace torva
