#include "renderer/process.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/child_process.h"
#include "text/utf8.h"

namespace torva {

namespace {

constexpr int kPollPauseMs = 100;
constexpr int kEventPassMs = 50;
constexpr int kIdleWakeMs = 1000;

// How long an idle pass sleeps when nothing arrives: at most a second (the
// checks of a pass still run then), never past the time limit, and only
// briefly once the program was ended or its output is over, when its exit
// can only be polled.
int IdleWaitMs(int time_left_ms, bool ended, bool output_over) {
  int wait_ms = ended || output_over ? kEventPassMs : kIdleWakeMs;
  if (time_left_ms >= 0) wait_ms = std::min(wait_ms, time_left_ms);
  return wait_ms;
}

}  // namespace

ExternalProcess::ExternalProcess() = default;
ExternalProcess::ExternalProcess(ExternalProcess&&) noexcept = default;
ExternalProcess& ExternalProcess::operator=(ExternalProcess&&) noexcept = default;
ExternalProcess::~ExternalProcess() = default;

ExternalProcess ExternalProcess::Launch(const std::string& executable,
                                        const std::vector<std::string>& arguments,
                                        const std::string& working_dir) {
  ExternalProcess process;
  process.child_ = ChildProcess::Start(executable, arguments, working_dir);
  return process;
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
  if (child_ && !child_->Alive()) exit_code_ = child_->Wait();
  child_.reset();
}

bool ExternalProcess::Ended() { return !child_ || !child_->Alive(); }

int ExternalProcess::OutputFd() const { return child_ ? child_->OutputFd() : -1; }

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
  const auto child =
      ChildProcess::Start(executable, arguments, working_dir, ChildProcess::Output::kDiscard);
  return child ? child->Wait() : -1;
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

RunEnd WatchRun(ExternalProcess& process, Desktop& desktop, const EventHandler& on_event,
                const LineHandler& on_line, const WatchOptions& options) {
  RunControl control(process, options.time_limit_ms);
  Clock::time_point last_line = Clock::now() - std::chrono::milliseconds(kPollPauseMs);
  while (process.Running()) {
    const int left_ms = control.CheckTimeLimit();
    if (options.on_pass && !control.Ended()) control.Apply(options.on_pass());
    if (!process.OutputAvailable()) {
      desktop.WaitForActivity(process.OutputFd(),
                              IdleWaitMs(left_ms, control.Ended(), process.OutputFd() < 0));
    } else if (options.pause && !control.Ended() && !process.Ended()) {
      // Lines that come in a burst are handed on at a reading pace.
      const auto since =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_line);
      if (since.count() < kPollPauseMs)
        process.Delay(kPollPauseMs - static_cast<int>(since.count()));
    }
    const Event event = desktop.TakeEvent();
    if (event.type != EventType::kNone) control.Apply(on_event(event));
    if (process.OutputAvailable()) {
      last_line = Clock::now();
      control.Apply(on_line(options.line_bytes ? process.ReadLineBytes() : process.ReadLine()));
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
