#include "renderer/process.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/child_process.h"
#include "text/utf8.h"

namespace torva {

namespace {

constexpr int kPollPauseMs = 100;
constexpr int kEventPassMs = 50;
constexpr int kIdleWakeMs = 1000;

// The sooner of two limits in milliseconds, either negative for none.
int Sooner(int a_ms, int b_ms) {
  if (a_ms < 0) return b_ms;
  if (b_ms < 0) return a_ms;
  return std::min(a_ms, b_ms);
}

}  // namespace

ExternalProcess::ExternalProcess() = default;
ExternalProcess::ExternalProcess(ExternalProcess&&) noexcept = default;
ExternalProcess& ExternalProcess::operator=(ExternalProcess&&) noexcept = default;
ExternalProcess::~ExternalProcess() = default;

ExternalProcess::ExternalProcess(std::unique_ptr<StartedProgram> program, int start_error)
    : child_(std::move(program)), start_error_(start_error) {}

ExternalProcess ExternalProcess::Launch(const std::string& executable,
                                        const std::vector<std::string>& arguments,
                                        const std::string& working_dir) {
  ChildProcess::Started started = ChildProcess::Start(executable, arguments, working_dir);
  return ExternalProcess(std::move(started.child), started.error);
}

bool ExternalProcess::Started() const { return child_ != nullptr; }

bool ExternalProcess::Running() {
  if (!child_) return false;
  child_->Drain();
  return !child_->OutputEnded() || child_->Alive();
}

bool ExternalProcess::OutputAvailable() {
  if (!child_) return false;
  child_->Drain();
  return child_->HasLine();
}

std::string ExternalProcess::ReadLine() { return ValidUtf8(ReadLineBytes()); }

std::string ExternalProcess::ReadLineBytes() {
  if (!child_) return {};
  while (!child_->HasLine() && !child_->OutputEnded()) child_->WaitForLine(-1);
  return child_->TakeLine();
}

void ExternalProcess::Kill() {
  if (child_) child_->Kill();
}

void ExternalProcess::Close() {
  if (child_ && !child_->Alive()) {
    exit_code_ = child_->Wait();
    exit_signal_ = child_->ExitSignal();
  }
  child_.reset();
}

bool ExternalProcess::Ended() { return !child_ || !child_->Alive(); }

int ExternalProcess::OutputFd() const { return child_ ? child_->OutputFd() : -1; }

int ExternalProcess::ActivityFd() { return child_ ? child_->ActivityFd() : -1; }

bool ExternalProcess::ActivityFdSeesEnd() const { return child_ && child_->ActivityFdSeesEnd(); }

bool ExternalProcess::LineTaken() const { return child_ && child_->HasLine(); }

void ExternalProcess::WaitForOutput(int timeout_ms) {
  if (child_) child_->WaitForLine(timeout_ms);
}

std::size_t ExternalProcess::BufferedBytes() const { return child_ ? child_->BufferedBytes() : 0; }

void ExternalProcess::EndLinesAtBackspaces() {
  if (child_) child_->EndLinesAtBackspaces();
}

void ExternalProcess::Delay(int ms) {
  if (child_) {
    child_->DrainFor(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

int RunAndWait(const std::string& executable, const std::vector<std::string>& arguments,
               const std::string& working_dir) {
  const ChildProcess::Started started =
      ChildProcess::Start(executable, arguments, working_dir, ChildProcess::Output::kDiscard);
  return started.child ? started.child->Wait() : -1;
}

std::string ExitText(int exit_code, int exit_signal) {
  if (exit_signal != 0)
    return "signal " + std::to_string(exit_signal) + " (" + strsignal(exit_signal) + ")";
  return "exit status " + std::to_string(exit_code);
}

std::string StartFailureText(const std::string& name, int error) {
  if (error == 0) return "";
  return name + " cannot be started: " + std::strerror(error) + ".";
}

namespace {

using Clock = std::chrono::steady_clock;

// Turns the handlers' requests and the time limit into how the run ended;
// the child is stopped once, at the first request.
class RunControl {
 public:
  RunControl(ExternalProcess& process, int time_limit_ms)
      : process_(process),
        time_limit_ms_(time_limit_ms),
        deadline_(Clock::now() + std::chrono::milliseconds(std::max(time_limit_ms, 0))) {}

  void Apply(RunAction action) {
    if (action == RunAction::kGoOn) return;
    if (action == RunAction::kClose) {
      end_ = RunEnd::kCloseRequested;
    } else if (end_ == RunEnd::kFinished) {
      end_ = RunEnd::kStopped;
    }
    StopChild();
  }

  // Stops the child when its time is up; the milliseconds left until then
  // (-1: no limit, or already ended).
  int CheckTimeLimit() {
    if (ended_ || time_limit_ms_ < 0) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    if (left.count() > 0) return static_cast<int>(left.count());
    end_ = RunEnd::kTimedOut;
    StopChild();
    return -1;
  }

  bool Ended() const { return ended_; }
  RunEnd End() const { return end_; }

 private:
  void StopChild() {
    if (ended_) return;
    ended_ = true;
    process_.Kill();
  }

  ExternalProcess& process_;
  int time_limit_ms_;
  Clock::time_point deadline_;
  bool ended_ = false;
  RunEnd end_ = RunEnd::kFinished;
};

}  // namespace

RunEnd WatchRun(ExternalProcess& process, RunEvents& events, const LineHandler& on_line,
                const WatchOptions& options) {
  RunControl control(process, options.time_limit_ms);
  const bool pause = options.pause && events.Paced();
  Clock::time_point last_line = Clock::now() - std::chrono::milliseconds(kPollPauseMs);
  // The limits and on_pass; the milliseconds until one of them wants a look.
  const auto check = [&] {
    const int left_ms = control.CheckTimeLimit();
    if (!options.on_pass || control.Ended()) return left_ms;
    control.Apply(options.on_pass());
    if (!options.on_pass_due_ms) return Sooner(left_ms, kIdleWakeMs);
    return Sooner(left_ms, options.on_pass_due_ms());
  };
  // One pending event, then one line. The pipe is read before each line: a
  // full buffer takes in more as each line leaves it, so that the program
  // is never kept waiting for a whole buffer's worth of lines to be handed on.
  const auto hand_on = [&] {
    control.Apply(events.HandleOne());
    if (process.OutputAvailable()) {
      last_line = Clock::now();
      control.Apply(on_line(options.line_bytes ? process.ReadLineBytes() : process.ReadLine()));
    }
  };
  while (process.Running()) {
    const int due_ms = check();
    if (!process.OutputAvailable()) {
      int wait_ms = due_ms;
      // Where the wait does not see the end coming, it is looked for: soon
      // once the program has ended or its output is over (a helper it left
      // may hold the output open without a word), else each second.
      if (!process.ActivityFdSeesEnd()) {
        const bool soon = control.Ended() || process.Ended() || process.OutputFd() < 0;
        wait_ms = Sooner(wait_ms, soon ? kEventPassMs : kIdleWakeMs);
      }
      events.Wait(process.ActivityFd(), wait_ms);
    } else if (pause && !control.Ended() && !process.Ended()) {
      // Lines that come in a burst are handed on at a reading pace.
      const auto since =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_line);
      if (since.count() < kPollPauseMs)
        process.Delay(kPollPauseMs - static_cast<int>(since.count()));
    }
    hand_on();
    // Without the pause, the lines already taken from the program follow
    // at once, each after the checks and the event of a pass of its own.
    while (!pause && process.LineTaken()) {
      check();
      hand_on();
    }
  }
  process.Close();
  return control.End();
}

RunEnd ReadRun(ExternalProcess& process, const LineHandler& on_line, int time_limit_ms) {
  RunControl control(process, time_limit_ms);
  while (process.Running()) {
    const int left = control.CheckTimeLimit();
    process.WaitForOutput(control.Ended() ? kEventPassMs : left);
    if (process.OutputAvailable()) control.Apply(on_line(process.ReadLine()));
  }
  process.Close();
  return control.End();
}

}  // namespace torva
