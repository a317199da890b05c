// One child program started directly (no shell), its standard output read
// through a pipe in whole lines. Standard input and standard error go to
// /dev/null. Waiting blocks in poll()/waitpid(), never in a busy loop.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace torva {

class ChildProcess {
 public:
  // Longer lines are cut there; the rest of such a line is dropped.
  static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

  enum class Output { kPipe, kDiscard };

  // nullptr when the program cannot be started (missing, not executable,
  // bad working folder). `arguments` excludes the program name.
  static std::unique_ptr<ChildProcess> Start(const std::string& executable,
                                             const std::vector<std::string>& arguments,
                                             const std::string& working_dir,
                                             Output output = Output::kPipe);

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // A child that still runs is killed and reaped.
  ~ChildProcess();

  // Moves what the pipe holds right now into the buffer; never blocks.
  void Drain();
  // A whole line is buffered, or the output has ended with a last piece.
  bool HasLine() const;
  // The output has ended and every byte of it was taken.
  bool OutputEnded() const;
  // Bytes taken from the pipe and not yet taken as lines.
  std::size_t BufferedBytes() const { return buffer_.size() - head_; }
  // The next line without its line feed; empty when !HasLine().
  std::string TakeLine();

  // Blocks until HasLine(), or the output ended and the child ended, or
  // `timeout_ms` passed (negative: no limit).
  void WaitForLine(int timeout_ms);
  // Sleeps `ms` while moving whatever the child writes into the buffer, so
  // that a fast writer never stalls on a full pipe.
  void DrainFor(int ms);

  // False once the child has ended (it is reaped then).
  bool Alive();
  void Kill();
  // Blocks until the child has ended; its exit code, 128 + signal when it
  // was killed by a signal.
  int Wait();

 private:
  ChildProcess(pid_t pid, int fd);
  // Appends bytes read from the pipe, cutting over-long lines.
  void Append(const char* data, std::size_t size);
  bool WaitReadable(int timeout_ms);
  void WaitForExit(int timeout_ms);
  void Reaped(int status);

  pid_t pid_;
  int fd_;  // -1 once the output has ended
  bool reaped_ = false;
  int exit_code_ = -1;
  std::string buffer_;          // unread bytes from head_ on
  std::size_t head_ = 0;
  std::size_t line_start_ = 0;  // start of the unfinished last line
  bool cutting_ = false;        // dropping the rest of an over-long line
};

}  // namespace torva
