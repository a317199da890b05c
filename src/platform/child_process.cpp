#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#ifdef __APPLE__
#include <sys/event.h>
#else
#include <sys/epoll.h>
#include <sys/syscall.h>
#endif

#include "platform/environment.h"

namespace torva {

namespace {

using Clock = std::chrono::steady_clock;

// Bounds one Drain(), so that a child writing one endless line (which is cut,
// so never fills the buffer) cannot keep the caller reading forever.
constexpr std::size_t kDrainLimit = std::size_t{4} << 20;

Clock::time_point DeadlineAfter(int timeout_ms) {
  return Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
}

// Milliseconds left until `deadline` (0 when past), -1 when `timeout_ms` < 0.
int MillisecondsLeft(int timeout_ms, Clock::time_point deadline) {
  if (timeout_ms < 0) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

void Sleep(int ms) {
  if (ms > 0) poll(nullptr, 0, ms);
}

// Closes both ends of a pipe that could not be set up; the errno value of
// the call that failed.
int PipeFailed(int fds[2]) {
  const int error = errno;
  close(fds[0]);
  close(fds[1]);
  return error;
}

// The pipe for the child's output, both ends closed on exec, the reading
// end not blocking. 0, or the errno value of the call that failed.
int MakePipe(int fds[2]) {
#ifdef __APPLE__
  if (pipe(fds) != 0) return errno;
  if (fcntl(fds[0], F_SETFD, FD_CLOEXEC) != 0 || fcntl(fds[1], F_SETFD, FD_CLOEXEC) != 0)
    return PipeFailed(fds);
#else
  if (pipe2(fds, O_CLOEXEC) != 0) return errno;
#endif
  const int flags = fcntl(fds[0], F_GETFL);
  if (flags < 0 || fcntl(fds[0], F_SETFL, flags | O_NONBLOCK) != 0) return PipeFailed(fds);
  return 0;
}

// A descriptor that becomes readable when `pid` ends; -1 where the system
// has none.
int OpenPidFd(pid_t pid) {
#if !defined(__APPLE__) && defined(SYS_pidfd_open)
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

// Without a pidfd, a wait for output checks this often whether the child
// has ended.
constexpr int kEndCheckMs = 100;

// Blocks until `pid` ends (without reaping it) or `timeout_ms` passes;
// `pidfd` is the child's from OpenPidFd.
void SleepUntilExit(pid_t pid, int pidfd, int timeout_ms) {
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    while (poll(&p, 1, timeout_ms) < 0 && errno == EINTR) {
    }
    return;
  }
#ifdef __APPLE__
  const int kq = kqueue();
  if (kq >= 0) {
    struct kevent change;
    EV_SET(&change, pid, EVFILT_PROC, EV_ADD | EV_ONESHOT, NOTE_EXIT, 0, nullptr);
    struct kevent result;
    const timespec limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
    const int n = kevent(kq, &change, 1, &result, 1, &limit);
    close(kq);
    // ESRCH: the child has already ended.
    if (n >= 0 || errno == ESRCH) return;
  }
#endif
  (void)pid;
  Sleep(timeout_ms);
}

// The child's descriptors: input from /dev/null, output into the pipe's
// end `output_fd` (/dev/null when it is -1), errors to /dev/null; and the
// folder it starts in, when one is given. error() is the errno value of the
// first set-up call that failed, 0 when all went well.
class FileActions {
 public:
  FileActions(int output_fd, const std::string& working_dir) {
    error_ = posix_spawn_file_actions_init(&actions_);
    if (error_ != 0) return;
    initialised_ = true;
    Keep(posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0));
    Keep(output_fd >= 0 ? posix_spawn_file_actions_adddup2(&actions_, output_fd, 1)
                        : posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0));
    Keep(posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0));
    if (!working_dir.empty())
      Keep(posix_spawn_file_actions_addchdir_np(&actions_, working_dir.c_str()));
  }
  ~FileActions() {
    if (initialised_) posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  const posix_spawn_file_actions_t* get() const { return &actions_; }
  int error() const { return error_; }

 private:
  void Keep(int error) {
    if (error_ == 0) error_ = error;
  }
  posix_spawn_file_actions_t actions_;
  bool initialised_ = false;
  int error_ = 0;
};

// The child starts with no blocked signals and the default SIGPIPE, whatever
// this program did with them, in a process group of its own: stopping the
// child stops what it started as well. error() as for FileActions.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    error_ = posix_spawnattr_init(&attributes_);
    if (error_ != 0) return;
    initialised_ = true;
    sigset_t signals;
    sigemptyset(&signals);
    Keep(posix_spawnattr_setsigmask(&attributes_, &signals));
    sigaddset(&signals, SIGPIPE);
    Keep(posix_spawnattr_setsigdefault(&attributes_, &signals));
    Keep(posix_spawnattr_setpgroup(&attributes_, 0));
    Keep(posix_spawnattr_setflags(
        &attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP));
  }
  ~SpawnAttributes() {
    if (initialised_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }
  int error() const { return error_; }

 private:
  void Keep(int error) {
    if (error_ == 0) error_ = error;
  }
  posix_spawnattr_t attributes_;
  bool initialised_ = false;
  int error_ = 0;
};

// A descriptor that becomes readable when `output_fd` or `pidfd` is; -1
// where the system has none (or one of the two is missing).
int OpenWakeFd(int output_fd, int pidfd) {
#ifndef __APPLE__
  if (output_fd < 0 || pidfd < 0) return -1;
  const int wake_fd = epoll_create1(EPOLL_CLOEXEC);
  if (wake_fd < 0) return -1;
  for (const int fd : {output_fd, pidfd}) {
    epoll_event watched{};
    watched.events = EPOLLIN;
    watched.data.fd = fd;
    if (epoll_ctl(wake_fd, EPOLL_CTL_ADD, fd, &watched) != 0) {
      close(wake_fd);
      return -1;
    }
  }
  return wake_fd;
#else
  (void)output_fd;
  (void)pidfd;
  return -1;
#endif
}

}  // namespace

ChildProcess::Started ChildProcess::Start(const std::string& executable,
                                          const std::vector<std::string>& arguments,
                                          const std::string& working_dir, Output output) {
  int fds[2] = {-1, -1};
  if (output == Output::kPipe) {
    if (const int error = MakePipe(fds); error != 0) return {nullptr, error};
  }
  const FileActions actions(fds[1], working_dir);
  const SpawnAttributes attributes;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = -1;
  int error = actions.error() != 0 ? actions.error() : attributes.error();
  if (error == 0) {
    error = posix_spawn(&pid, executable.c_str(), actions.get(), attributes.get(), argv.data(),
                        InheritedEnvironment());
  }
  if (fds[1] >= 0) close(fds[1]);
  if (error != 0) {
    if (fds[0] >= 0) close(fds[0]);
    return {nullptr, error};
  }
  return {std::unique_ptr<ChildProcess>(new ChildProcess(pid, fds[0])), 0};
}

ChildProcess::ChildProcess(pid_t pid, int fd)
    : pid_(pid), fd_(fd), pidfd_(OpenPidFd(pid)), wake_fd_(OpenWakeFd(fd_, pidfd_)) {}

int ChildProcess::ActivityFd() {
  if (ended_ || pidfd_ < 0) return fd_;
  if (fd_ < 0) return pidfd_;
  return wake_fd_ >= 0 ? wake_fd_ : fd_;
}

ChildProcess::~ChildProcess() {
  // An abandoned run ends with everything it started.
  if (Alive() || fd_ >= 0) Kill();
  if (fd_ >= 0) close(fd_);
  if (wake_fd_ >= 0) close(wake_fd_);
  if (pidfd_ >= 0) close(pidfd_);
  Reap();
}

void ChildProcess::Drain() {
  if (fd_ >= 0) Alive();
  char chunk[64 * 1024];
  std::size_t total = 0;
  while (fd_ >= 0 && !Full() && total < kDrainLimit) {
    const std::size_t room = std::min(sizeof chunk, kMaxUnreadBytes - BufferedBytes());
    const ssize_t n = read(fd_, chunk, room);
    if (n > 0) {
      Append(chunk, static_cast<std::size_t>(n));
      total += static_cast<std::size_t>(n);
      owed_ -= std::min(owed_, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // Empty after the child's end: all it wrote was taken.
      if (ended_) EndOutput();
      return;
    } else {  // end of output, or a read error that ends it all the same
      EndOutput();
    }
  }
  // Someone else keeps writing into the pipe after the child's end.
  if (fd_ >= 0 && ended_ && owed_ == 0 && Clock::now() >= output_deadline_) EndOutput();
}

void ChildProcess::EndOutput() {
  close(fd_);
  fd_ = -1;
}

void ChildProcess::Append(const char* data, std::size_t size) {
  std::string ended;
  if (backspace_ends_line_) {
    ended.reserve(size);
    for (const char* c = data; c != data + size; ++c) {
      if (*c != '\b') {
        ended += *c;
      } else if (!(ended.empty() ? buffer_.size() == line_start_ : ended.back() == '\n')) {
        ended += '\n';
      }
    }
    data = ended.data();
    size = ended.size();
  }
  while (size > 0) {
    const char* feed = static_cast<const char*>(std::memchr(data, '\n', size));
    const std::size_t part = feed ? static_cast<std::size_t>(feed - data) : size;
    if (!cutting_) {
      const std::size_t room = kMaxLineBytes - (buffer_.size() - line_start_);
      const std::size_t kept = std::min(part, room);
      buffer_.append(data, kept);
      cutting_ = kept < part;
    }
    if (!feed) return;
    buffer_ += '\n';
    line_start_ = buffer_.size();
    cutting_ = false;
    data += part + 1;
    size -= part + 1;
  }
}

bool ChildProcess::HasLine() const {
  return line_start_ > head_ || (fd_ < 0 && buffer_.size() > head_);
}

bool ChildProcess::OutputEnded() const { return fd_ < 0 && buffer_.size() == head_; }

std::string ChildProcess::TakeLine() {
  std::string line;
  if (line_start_ > head_) {
    const std::size_t feed = buffer_.find('\n', head_);
    line.assign(buffer_, head_, feed - head_);
    head_ = feed + 1;
  } else if (fd_ < 0 && buffer_.size() > head_) {
    line.assign(buffer_, head_);
    head_ = line_start_ = buffer_.size();
  }
  if (head_ == buffer_.size()) {
    buffer_.clear();
    head_ = line_start_ = 0;
  } else if (head_ >= 64 * 1024 && head_ >= buffer_.size() / 2) {
    buffer_.erase(0, head_);
    line_start_ -= head_;
    head_ = 0;
  }
  return line;
}

bool ChildProcess::WaitReadable(int timeout_ms) {
  pollfd p[2] = {{fd_, POLLIN, 0}, {pidfd_, POLLIN, 0}};
  nfds_t count = 1;
  if (!ended_ && pidfd_ >= 0) {
    count = 2;
  } else if (!ended_ && (timeout_ms < 0 || timeout_ms > kEndCheckMs)) {
    timeout_ms = kEndCheckMs;
  }
  int n;
  while ((n = poll(p, count, timeout_ms)) < 0 && errno == EINTR) {
  }
  return n > 0;
}

void ChildProcess::WaitForLine(int timeout_ms) {
  const Clock::time_point deadline = DeadlineAfter(timeout_ms);
  for (;;) {
    Drain();
    if (HasLine()) return;
    const int left = MillisecondsLeft(timeout_ms, deadline);
    if (fd_ < 0) {
      // Nothing more will come; the caller waits for the child's end.
      WaitForExit(left);
      return;
    }
    if (left == 0) return;
    WaitReadable(left);
  }
}

void ChildProcess::DrainFor(int ms) {
  const Clock::time_point deadline = DeadlineAfter(ms);
  for (;;) {
    const int left = MillisecondsLeft(ms, deadline);
    if (left <= 0) return;
    if (fd_ < 0 || Full()) {
      Sleep(left);
      return;
    }
    if (WaitReadable(left)) Drain();
  }
}

namespace {

// The exit code of an ended child: its own, or 128 + the signal that ended it.
int ExitCode(const siginfo_t& info) {
  return info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
}
int SignalOf(const siginfo_t& info) { return info.si_code == CLD_EXITED ? 0 : info.si_status; }

}  // namespace

bool ChildProcess::Alive() {
  if (ended_) return false;
  siginfo_t info{};
  int r;
  while ((r = waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT)) < 0 && errno == EINTR) {
  }
  if (r < 0) {
    reaped_ = true;  // reaped elsewhere; nothing is left to wait for
    NoteEnd(-1);
  } else if (info.si_pid == pid_) {
    NoteEnd(ExitCode(info), SignalOf(info));
  }
  return !ended_;
}

void ChildProcess::NoteEnd(int exit_code, int exit_signal) {
  ended_ = true;
  exit_code_ = exit_code;
  exit_signal_ = exit_signal;
  // A helper the child left behind (its output on /dev/null, say) would
  // outlive it unseen; the group is still the child's until it is reaped.
  if (!reaped_) kill(-pid_, SIGTERM);
  // Whatever the child wrote is in the pipe by now.
  int pending = 0;
  if (fd_ >= 0 && ioctl(fd_, FIONREAD, &pending) == 0 && pending > 0)
    owed_ = static_cast<std::size_t>(pending);
  output_deadline_ = Clock::now() + std::chrono::milliseconds(kOutputAfterEndMs);
}

void ChildProcess::WaitForExit(int timeout_ms) {
  if (!Alive()) return;
  if (timeout_ms < 0) {
    siginfo_t info{};
    int r;
    while ((r = waitid(P_PID, pid_, &info, WEXITED | WNOWAIT)) < 0 && errno == EINTR) {
    }
    if (r < 0) reaped_ = true;
    NoteEnd(r < 0 ? -1 : ExitCode(info), r < 0 ? 0 : SignalOf(info));
    return;
  }
  if (timeout_ms > 0) SleepUntilExit(pid_, pidfd_, timeout_ms);
  Alive();
}

void ChildProcess::Reap() {
  if (reaped_) return;
  kill(-pid_, SIGKILL);  // what ignored the SIGTERM of the child's end
  while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
}

void ChildProcess::Kill() {
  // Once reaped, the group's number may belong to another program.
  if (reaped_) return;
  kill(-pid_, SIGTERM);
  WaitForExit(kGraceMs);
  kill(-pid_, SIGKILL);
}

int ChildProcess::Wait() {
  WaitForExit(-1);
  return exit_code_;
}

}  // namespace torva
