// A started program as its handle sees it: its output, taken in whole lines,
// and its end. A child process in the program; scripted output in tests.
#pragma once

#include <cstddef>
#include <string>

namespace torva {

class StartedProgram {
 public:
  virtual ~StartedProgram() = default;

  // Moves what has been written right now into the buffer; never blocks.
  virtual void Drain() = 0;
  // Sleeps `ms` while taking in what the program writes meanwhile.
  virtual void DrainFor(int ms) = 0;
  // A whole line is buffered, or the output has ended with a last piece.
  virtual bool HasLine() const = 0;
  // The output has ended and every byte of it was taken.
  virtual bool OutputEnded() const = 0;
  // The next line without its line feed; empty when !HasLine().
  virtual std::string TakeLine() = 0;
  // Blocks until HasLine(), or the output and the program ended, or
  // `timeout_ms` passed (negative: no limit).
  virtual void WaitForLine(int timeout_ms) = 0;
  // Bytes taken in and not yet taken as lines.
  virtual std::size_t BufferedBytes() const = 0;
  // From now on a run of backspaces also ends a line.
  virtual void EndLinesAtBackspaces() = 0;

  // The pipe the output comes through; -1 once it has ended (or for none).
  virtual int OutputFd() const = 0;
  // A descriptor a wait for the program's news watches: readable when
  // output arrives or ends, or when the program ends; -1 for none.
  virtual int ActivityFd() = 0;
  // Whether a wait on ActivityFd() ends when the program does.
  virtual bool ActivityFdSeesEnd() const = 0;

  // False once the program has ended.
  virtual bool Alive() = 0;
  // Ends the program and whatever it started.
  virtual void Kill() = 0;
  // Blocks until the program has ended; its exit code, 128 + signal when a
  // signal ended it.
  virtual int Wait() = 0;
  // The signal that ended the program, 0 when it exited (or still runs).
  virtual int ExitSignal() const = 0;
};

}  // namespace torva
