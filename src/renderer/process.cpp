#include "renderer/process.h"

#include <chrono>
#include <thread>

#include "platform/child_process.h"
#include "text/utf8.h"

namespace torva {

namespace {

constexpr int kPollPauseMs = 100;
constexpr int kEventPassMs = 50;

// Invalid bytes become U+FFFD, so nothing downstream sees broken UTF-8.
bool IsInvalid(const Utf8Char& c) { return c.code == 0xFFFD && c.bytes == 1; }

std::string ValidUtf8(std::string bytes) {
  std::size_t pos = 0;
  for (Utf8Char c; pos < bytes.size() && !IsInvalid(c = DecodeUtf8At(bytes, pos));) {
    pos += c.bytes;
  }
  if (pos == bytes.size()) return bytes;
  std::string out(bytes, 0, pos);
  while (pos < bytes.size()) {
    const Utf8Char c = DecodeUtf8At(bytes, pos);
    if (IsInvalid(c)) {
      AppendUtf8(out, c.code);
    } else {
      out.append(bytes, pos, c.bytes);
    }
    pos += c.bytes;
  }
  return out;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view arguments) {
  std::vector<std::string> parts;
  std::string current;
  bool in_part = false;  // also true for an empty quoted part
  bool quoted = false;
  for (const char c : arguments) {
    if (c == '"') {
      quoted = !quoted;
      in_part = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\n')) {
      if (in_part) parts.push_back(std::move(current));
      current.clear();
      in_part = false;
    } else {
      current += c;
      in_part = true;
    }
  }
  if (in_part) parts.push_back(std::move(current));
  return parts;
}

ExternalProcess::ExternalProcess() = default;
ExternalProcess::ExternalProcess(ExternalProcess&&) noexcept = default;
ExternalProcess& ExternalProcess::operator=(ExternalProcess&&) noexcept = default;
ExternalProcess::~ExternalProcess() = default;

ExternalProcess ExternalProcess::Launch(const std::string& executable,
                                        std::string_view arguments,
                                        const std::string& working_dir) {
  ExternalProcess process;
  process.child_ = ChildProcess::Start(executable, SplitArguments(arguments), working_dir);
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

std::string ExternalProcess::ReadLine() {
  if (!child_) return {};
  while (!child_->HasLine() && !child_->OutputEnded()) child_->WaitForLine(-1);
  return ValidUtf8(child_->TakeLine());
}

void ExternalProcess::Kill() {
  if (child_) child_->Kill();
}

void ExternalProcess::Close() { child_.reset(); }

void ExternalProcess::WaitForOutput(int timeout_ms) {
  if (child_) child_->WaitForLine(timeout_ms);
}

void ExternalProcess::Delay(int ms) {
  if (child_) {
    child_->DrainFor(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

int RunAndWait(const std::string& executable, std::string_view arguments,
               const std::string& working_dir) {
  const auto child = ChildProcess::Start(executable, SplitArguments(arguments), working_dir,
                                         ChildProcess::Output::kDiscard);
  return child ? child->Wait() : -1;
}

void WatchRun(ExternalProcess& process, Desktop& desktop, const EventHandler& on_event,
              const LineHandler& on_line) {
  while (process.Running()) {
    process.Delay(kPollPauseMs);
    const Event event = desktop.TakeEvent();
    if (event.type != EventType::kNone) on_event(event);
    if (process.OutputAvailable()) on_line(process.ReadLine());
  }
  process.Close();
}

void WatchRunWithoutPause(ExternalProcess& process, Desktop& desktop,
                          const EventHandler& on_event, const LineHandler& on_line) {
  while (process.Running()) {
    const Event event = desktop.TakeEvent();
    if (event.type != EventType::kNone) on_event(event);
    process.WaitForOutput(kEventPassMs);
    if (process.OutputAvailable()) on_line(process.ReadLine());
  }
  process.Close();
}

namespace {

LineHandler StoringOutputLine(Program& program, const LineHandler& on_line) {
  return [&program, &on_line](const std::string& line) {
    program.state.OutputLine = line;
    on_line(line);
  };
}

}  // namespace

void WatchRun(ExternalProcess& process, Program& program, const EventHandler& on_event,
              const LineHandler& on_line) {
  WatchRun(process, program.desktop, on_event, StoringOutputLine(program, on_line));
}

void WatchRunWithoutPause(ExternalProcess& process, Program& program,
                          const EventHandler& on_event, const LineHandler& on_line) {
  WatchRunWithoutPause(process, program.desktop, on_event,
                       StoringOutputLine(program, on_line));
}

}  // namespace torva
