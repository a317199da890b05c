// Launching and watching the external programs: the renderer, Pymaxwell and
// 7za. One program runs at a time, watched from the main thread; its output
// is read one line at a time, as valid UTF-8 (invalid bytes become U+FFFD).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/started_program.h"

namespace torva {

// The handle of one launched program. A launch that failed gives a handle
// that is not running and has no output, so callers need no special case.
class ExternalProcess {
 public:
  ExternalProcess();
  ExternalProcess(ExternalProcess&&) noexcept;
  ExternalProcess& operator=(ExternalProcess&&) noexcept;
  // Ends a program that still runs, with everything it started.
  ~ExternalProcess();

  // The handle of `program`, or of a launch that failed with errno value
  // `start_error` when it is null.
  explicit ExternalProcess(std::unique_ptr<StartedProgram> program, int start_error = 0);

  // Starts `executable` directly (no shell) in `working_dir`; returns at once.
  // Each argument reaches the program exactly as given, whatever blanks or
  // quotes it holds. Steps start programs through a Runner instead.
  static ExternalProcess Launch(const std::string& executable,
                                const std::vector<std::string>& arguments,
                                const std::string& working_dir);

  bool Started() const;
  // Why the launch failed, as an errno value (ENOENT, EACCES, ...); 0 when
  // it did not fail. Kept after Close.
  int StartError() const { return start_error_; }
  // True while the program runs or unread output remains; false once it has
  // ended and all of its output was read (a helper it left holding the pipe
  // is not waited for).
  bool Running();
  // A whole line, or the last piece of the output, can be read at once.
  bool OutputAvailable();
  // The next line without its line feed (a carriage return before it stays).
  // Waits for a line feed or the end of the output; "" when none remains.
  std::string ReadLine();
  // The same line as the program wrote its bytes, invalid UTF-8 included.
  std::string ReadLineBytes();
  // Ends the program and everything it started; the output already written
  // can still be read.
  void Kill();
  // Releases the handle; `Running` is false afterwards.
  void Close();
  // The program itself has ended, whoever else still holds its output (a
  // detached grandchild may).
  bool Ended();
  // After Close: the exit code of a program that had ended (128 + the signal
  // that ended it); -1 when it never started or still ran when closed.
  int ExitCode() const { return exit_code_; }
  // After Close: the signal that ended the program, 0 when it exited.
  int ExitSignal() const { return exit_signal_; }

  // The pipe the output comes through; -1 when there is none (any more).
  int OutputFd() const;
  // What a wait for the program's news watches: readable when output arrives
  // or ends, or when the program ends; -1 when there is nothing to watch.
  int ActivityFd();
  // Whether a wait on ActivityFd() ends when the program does. It does not
  // once the program has ended (a helper may hold the output), nor where the
  // system gives no descriptor for a program's end: look again now and then.
  bool ActivityFdSeesEnd() const;
  // Blocks until a line can be read, or the output has ended and the program
  // has ended, or `timeout_ms` passes (negative: no limit).
  void WaitForOutput(int timeout_ms = -1);
  // Sleeps `ms` while taking in what the program writes meanwhile (up to a
  // bounded amount of unread output; beyond it the program waits).
  void Delay(int ms);
  // Bytes of output taken from the program and not yet read as lines.
  std::size_t BufferedBytes() const;
  // A whole line, or the last piece of the output, was already taken from
  // the program; unlike OutputAvailable, nothing is read from it.
  bool LineTaken() const;
  // A progress display that the program redraws with backspaces arrives
  // as lines: each run of backspaces ends one.
  void EndLinesAtBackspaces();

 private:
  std::unique_ptr<StartedProgram> child_;
  int start_error_ = 0;
  int exit_code_ = -1;
  int exit_signal_ = 0;
};

// How a program that ended by itself ended: "exit status N" or "signal N (NAME)".
std::string ExitText(int exit_code, int exit_signal);

// "NAME cannot be started: REASON." for a program whose launch failed with
// the errno value `error`; "" when `error` is 0.
std::string StartFailureText(const std::string& name, int error);
// `line` as the last line of a message ("\n" + line), or "" for "".
inline std::string DetailLine(const std::string& line) { return line.empty() ? "" : "\n" + line; }

// Runs a program with its output discarded and returns once it has ended:
// its exit code, or -1 when it could not be started.
int RunAndWait(const std::string& executable, const std::vector<std::string>& arguments,
               const std::string& working_dir);

// What an event or line handler asks of the watched run.
enum class RunAction {
  kGoOn,
  kStop,   // end the program; its remaining output is still handed on
  kClose,  // the same, and the run reports kCloseRequested
};

// How a watched run ended.
enum class RunEnd {
  kFinished,        // the program ended by itself (or never started)
  kStopped,         // a handler asked for kStop
  kCloseRequested,  // a handler asked for kClose (also after an earlier kStop)
  kTimedOut,        // the time limit passed first
};

struct WatchOptions {
  // true: lines at least 100 ms apart where a person reads them as they come
  // (RunEvents::Paced), so that a burst comes at a reading pace (benchmark,
  // estimation). false: lines as fast as they come (gathering script,
  // Pymaxwell, 7za).
  bool pause = true;
  // The program is ended after this long (negative: no limit).
  int time_limit_ms = -1;
  // Asked once a pass, whatever arrived: a command may end a run that has
  // gone quiet for too long.
  std::function<RunAction()> on_pass = nullptr;
  // In how many milliseconds on_pass must be asked again when nothing
  // arrives meanwhile (negative: not before something arrives). Without it,
  // a quiet run with an on_pass is looked at each second.
  std::function<int()> on_pass_due_ms = nullptr;
  // Lines are handed on as the program wrote their bytes (file names that
  // are not UTF-8 stay comparable with the names on the disk).
  bool line_bytes = false;
};

using LineHandler = std::function<RunAction(const std::string&)>;

// What else a watched run attends to while the program runs: in the
// program, the window's events.
class RunEvents {
 public:
  virtual ~RunEvents() = default;
  // Hands on one pending event, if there is one; what it asks of the run.
  virtual RunAction HandleOne() = 0;
  // Sleeps until `fd` is readable (-1: none), an event is pending, or
  // `timeout_ms` passes (negative: no limit).
  virtual void Wait(int fd, int timeout_ms) = 0;
  // Whether a person reads the lines as they come (then they come at a
  // reading pace, at least 100 ms apart, when WatchOptions::pause asks it).
  virtual bool Paced() const = 0;
};

// The watched run: while the program runs, each pass hands on at most one
// pending event and reads at most one line (handed to `on_line`); without
// the pause, the lines already read from the program follow at once, each
// after an event of its own. A pass with nothing to read sleeps until
// output, an event, the program's end, the time limit or on_pass's next
// question comes. Once the program has ended (by
// itself, or by a handler or the limit), its remaining output is read
// without the pause, and the run ends soon after, whoever else still holds
// the output. Closes the handle.
RunEnd WatchRun(ExternalProcess& process, RunEvents& events, const LineHandler& on_line,
                const WatchOptions& options = {});

// The detection loop: no pause and no window events; every line is handed
// on as soon as it arrives. Closes the handle.
RunEnd ReadRun(ExternalProcess& process, const LineHandler& on_line, int time_limit_ms = -1);

}  // namespace torva
