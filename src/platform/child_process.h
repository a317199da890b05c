// One child program started directly (no shell), its standard output read
// through a pipe in whole lines. Standard input and standard error go to
// /dev/null. The child leads a process group of its own, so that ending it
// ends whatever it started too. Waiting blocks in poll()/waitid(), never in a
// busy loop.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/started_program.h"

namespace torva {

class ChildProcess final : public StartedProgram {
 public:
  // Longer lines are cut there; the rest of such a line is dropped.
  static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;
  // At most this much unread output is taken from the pipe; beyond it the
  // child waits on its full pipe until lines are taken.
  static constexpr std::size_t kMaxUnreadBytes = std::size_t{1} << 20;
  // How long the child's group has to end after SIGTERM before SIGKILL.
  static constexpr int kGraceMs = 500;
  // Once the child has ended, its output ends too: when the pipe is found
  // empty, or at the latest this long after, once every byte the child wrote
  // was taken, whoever else still holds the pipe (a detached helper may).
  static constexpr int kOutputAfterEndMs = 1000;

  enum class Output { kPipe, kDiscard };

  struct Started {
    std::unique_ptr<ChildProcess> child;  // nullptr when the program could not be started
    int error = 0;                        // then why, as an errno value (ENOENT, EACCES, ...)
  };

  // `arguments` excludes the program name. A missing or non-executable
  // program, a bad working folder or a system call that fails gives no child
  // and the error.
  static Started Start(const std::string& executable, const std::vector<std::string>& arguments,
                       const std::string& working_dir, Output output = Output::kPipe);

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // A child that still runs is killed and reaped.
  ~ChildProcess() override;

  // Moves what the pipe holds right now into the buffer (up to
  // kMaxUnreadBytes unread); never blocks.
  void Drain() override;
  // A whole line is buffered, or the output has ended with a last piece.
  bool HasLine() const override;
  // The output has ended and every byte of it was taken.
  bool OutputEnded() const override;
  // Bytes taken from the pipe and not yet taken as lines.
  std::size_t BufferedBytes() const override { return buffer_.size() - head_; }
  // The next line without its line feed; empty when !HasLine().
  std::string TakeLine() override;
  // From now on a run of backspaces also ends a line, so that a progress
  // display redrawn in place arrives as it changes.
  void EndLinesAtBackspaces() override { backspace_ends_line_ = true; }

  // Blocks until HasLine(), or the output ended and the child ended, or
  // `timeout_ms` passed (negative: no limit); the child's end wakes it.
  void WaitForLine(int timeout_ms) override;
  // The pipe the output comes through; -1 once it has ended.
  int OutputFd() const override { return fd_; }
  // What a wait for the child's news watches: a descriptor that becomes
  // readable when output arrives or ends, or when the child ends. Once the
  // child has ended, the pipe only (a helper it left may hold it open).
  int ActivityFd() override;
  // Whether a wait on ActivityFd() ends when the child does; false where the
  // system gives no descriptor for a child's end, or once it has ended.
  bool ActivityFdSeesEnd() const override {
    return !ended_ && pidfd_ >= 0 && (fd_ < 0 || wake_fd_ >= 0);
  }
  // Sleeps `ms` while moving whatever the child writes into the buffer, so
  // that a fast writer never stalls on a full pipe.
  void DrainFor(int ms) override;

  // False once the child has ended. It is reaped only when this object goes,
  // so that its process group cannot be taken by another program meanwhile.
  // Whatever the child left running in its group is ended with it.
  bool Alive() override;
  // Ends the child's process group: SIGTERM, up to kGraceMs for the child to
  // end, then SIGKILL for whatever is left.
  void Kill() override;
  // Blocks until the child has ended; its exit code, 128 + signal when it
  // was killed by a signal.
  int Wait() override;
  // The signal that ended the child, 0 when it exited (or still runs).
  int ExitSignal() const override { return exit_signal_; }

 private:
  ChildProcess(pid_t pid, int fd);
  // Appends bytes read from the pipe, cutting over-long lines.
  void Append(const char* data, std::size_t size);
  bool Full() const { return BufferedBytes() >= kMaxUnreadBytes; }
  // Until the pipe is readable or the child ends.
  bool WaitReadable(int timeout_ms);
  // Notes the child's end without reaping it; blocks up to `timeout_ms`
  // (negative: no limit).
  void WaitForExit(int timeout_ms);
  // The child has ended: its output ends soon after.
  void NoteEnd(int exit_code, int exit_signal = 0);
  void EndOutput();
  void Reap();

  pid_t pid_;    // also the id of its process group
  int fd_;       // -1 once the output has ended
  int pidfd_;    // readable once the child has ended; -1 where there is none
  int wake_fd_;  // readable when fd_ or pidfd_ is; -1 where there is none
  bool ended_ = false;
  bool reaped_ = false;
  int exit_code_ = -1;
  int exit_signal_ = 0;
  // After the child's end: how many of the bytes its pipe held then are not
  // yet taken, and when reading stops at the latest once they are.
  std::size_t owed_ = 0;
  std::chrono::steady_clock::time_point output_deadline_{};
  std::string buffer_;  // unread bytes from head_ on
  std::size_t head_ = 0;
  std::size_t line_start_ = 0;  // start of the unfinished last line
  bool cutting_ = false;        // dropping the rest of an over-long line
  bool backspace_ends_line_ = false;
};

}  // namespace torva
