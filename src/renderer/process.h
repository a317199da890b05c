// Launching and watching the external programs: the renderer, Pymaxwell and
// 7za. One program runs at a time, watched from the main thread; its output
// is read one line at a time, as valid UTF-8 (invalid bytes become U+FFFD).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/globals.h"
#include "platform/desktop.h"

namespace torva {

class ChildProcess;

// The argument string split into arguments at blanks, tabs and line feeds;
// a part in double quotes is one argument (without the quotes).
std::vector<std::string> SplitArguments(std::string_view arguments);

// The handle of one launched program. A launch that failed gives a handle
// that is not running and has no output, so callers need no special case.
class ExternalProcess {
 public:
  ExternalProcess();
  ExternalProcess(ExternalProcess&&) noexcept;
  ExternalProcess& operator=(ExternalProcess&&) noexcept;
  // Kills a program that still runs.
  ~ExternalProcess();

  // Starts `executable` directly (no shell) in `working_dir`; returns at once.
  static ExternalProcess Launch(const std::string& executable, std::string_view arguments,
                                const std::string& working_dir);

  bool Started() const;
  // True while the program runs or unread output remains; false once it has
  // ended and all of its output was read.
  bool Running();
  // A whole line, or the last piece of the output, can be read at once.
  bool OutputAvailable();
  // The next line without its line feed (a carriage return before it stays).
  // Waits for a line feed or the end of the output; "" when none remains.
  std::string ReadLine();
  // Forced kill; the output already written can still be read.
  void Kill();
  // Releases the handle; `Running` is false afterwards.
  void Close();

  // Blocks until a line can be read, or the output has ended and the program
  // has ended, or `timeout_ms` passes (negative: no limit).
  void WaitForOutput(int timeout_ms = -1);
  // Sleeps `ms` while still emptying the program's pipe, so that it never
  // stalls on a full pipe however slowly its lines are read.
  void Delay(int ms);

 private:
  std::unique_ptr<ChildProcess> child_;
};

// Runs a program with its output discarded and returns once it has ended:
// its exit code, or -1 when it could not be started.
int RunAndWait(const std::string& executable, std::string_view arguments,
               const std::string& working_dir);

using EventHandler = std::function<void(const Event&)>;
using LineHandler = std::function<void(const std::string&)>;

// The watched run: while the program runs, sleep 100 ms, take at most one
// pending window event (passed on: the caller decides whether it is a stop
// request) and read at most one line. Closes the handle at the end.
void WatchRun(ExternalProcess& process, Desktop& desktop, const EventHandler& on_event,
              const LineHandler& on_line);
// The same, each line also stored in `OutputLine` before `on_line` sees it.
void WatchRun(ExternalProcess& process, Program& program, const EventHandler& on_event,
              const LineHandler& on_line);

// The run with no pause between passes (gathering script, 7za): one event
// and at most one line per pass. A pass waits up to 50 ms for output instead
// of looping at full speed, so events are still taken while nothing arrives.
void WatchRunWithoutPause(ExternalProcess& process, Desktop& desktop,
                          const EventHandler& on_event, const LineHandler& on_line);
void WatchRunWithoutPause(ExternalProcess& process, Program& program,
                          const EventHandler& on_event, const LineHandler& on_line);

}  // namespace torva
