#include "testing/fake_runner.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <deque>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace torva {
namespace {

int SignalNamed(std::string name) {
  if (name.starts_with("SIG")) name = name.substr(3);
  static const std::map<std::string, int> kSignals = {
      {"SEGV", SIGSEGV}, {"KILL", SIGKILL}, {"ABRT", SIGABRT}, {"TERM", SIGTERM},
      {"BUS", SIGBUS},   {"FPE", SIGFPE},   {"INT", SIGINT},   {"HUP", SIGHUP}};
  const auto found = kSignals.find(name);
  return found == kSignals.end() ? SIGSEGV : found->second;
}

// A pause no test waits out.
constexpr long kEndlessPauseMs = 60000;

// The replay cut at its pauses, and how it ends.
struct Script {
  std::vector<std::vector<std::string>> parts{{}};
  bool runs_on = false;  // it ends with a pause: it runs until stopped
  int exit_code = 0;
  int exit_signal = 0;
};

Script Parse(const std::string& replay) {
  Script script;
  std::istringstream in(replay);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("@sleep ")) {
      if (std::stol(line.substr(7)) >= kEndlessPauseMs) {
        script.runs_on = true;
        return script;
      }
      script.parts.emplace_back();
    } else if (line.starts_with("@signal ")) {
      script.exit_signal = SignalNamed(line.substr(8));
      script.exit_code = 128 + script.exit_signal;
      return script;
    } else if (line.starts_with("@exit ")) {
      script.exit_code = std::stoi(line.substr(6));
      return script;
    } else if (!line.starts_with("@helper")) {
      script.parts.back().push_back(line);
    }
  }
  return script;
}

// A played program: its output comes part by part, the next once the reader
// has waited for it. A wait never blocks: the descriptor it is given is
// always readable.
class PlayedProgram final : public StartedProgram {
 public:
  explicit PlayedProgram(Script script) : script_(std::move(script)) {
    const char byte = 1;
    if (pipe(ready_) != 0 || write(ready_[1], &byte, 1) != 1)
      throw std::runtime_error("a played program's pipe cannot be made");
    Release();
  }
  ~PlayedProgram() override {
    for (int fd : ready_)
      if (fd >= 0) close(fd);
  }

  void Drain() override {
    if (waited_ && !ended_) Release();
    waited_ = false;
  }
  void DrainFor(int) override {}
  bool HasLine() const override { return !lines_.empty(); }
  bool OutputEnded() const override { return ended_ && lines_.empty(); }
  std::string TakeLine() override {
    if (lines_.empty()) return "";
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
  }
  void WaitForLine(int timeout_ms) override {
    // Running on silently, nothing comes: the wait lasts its time.
    if (RunsOnSilently() && lines_.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms < 0 ? 1000 : timeout_ms));
      return;
    }
    waited_ = true;
    Drain();
  }
  std::size_t BufferedBytes() const override {
    std::size_t bytes = 0;
    for (const std::string& line : lines_) bytes += line.size() + 1;
    return bytes;
  }
  void EndLinesAtBackspaces() override {}
  int OutputFd() const override { return ended_ ? -1 : ready_[0]; }
  int ActivityFd() override {
    // Running on silently: a wait lasts as long as the reader asks.
    if (RunsOnSilently()) return -1;
    waited_ = true;
    return ready_[0];
  }
  bool ActivityFdSeesEnd() const override { return false; }
  bool Alive() override { return !ended_; }
  void Kill() override {
    if (ended_) return;
    ended_ = true;
    exit_signal_ = SIGTERM;
    exit_code_ = 128 + SIGTERM;
  }
  int Wait() override { return exit_code_; }
  int ExitSignal() const override { return exit_signal_; }

 private:
  bool RunsOnSilently() const { return !ended_ && next_ >= script_.parts.size(); }

  void Release() {
    if (next_ < script_.parts.size()) {
      for (const std::string& line : script_.parts[next_]) lines_.push_back(line);
      ++next_;
    }
    if (next_ >= script_.parts.size() && !script_.runs_on) {
      ended_ = true;
      exit_code_ = script_.exit_code;
      exit_signal_ = script_.exit_signal;
    }
  }

  Script script_;
  std::size_t next_ = 0;
  std::deque<std::string> lines_;
  int ready_[2] = {-1, -1};
  bool waited_ = false;
  bool ended_ = false;
  int exit_code_ = -1;
  int exit_signal_ = 0;
};

}  // namespace

ExternalProcess FakeRunner::Launch(const std::string& executable,
                                   const std::vector<std::string>& arguments,
                                   const std::string& working_dir) {
  launches_.push_back({executable, arguments, working_dir});
  const std::optional<FakeProgram> program = player_(launches_.back());
  if (!program) return ExternalProcess::Launch(executable, arguments, working_dir);
  if (program->start_error != 0) return ExternalProcess(nullptr, program->start_error);
  return ExternalProcess(std::make_unique<PlayedProgram>(Parse(program->replay)));
}

std::string ArgumentAfter(const std::vector<std::string>& arguments, const std::string& prefix) {
  for (const std::string& argument : arguments)
    if (argument.starts_with(prefix)) return argument.substr(prefix.size());
  return "";
}

}  // namespace torva
