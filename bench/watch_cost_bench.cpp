// What watching costs the program itself: an estimation (and a benchmark)
// run against the substitute renderer at its real-time speed, stopped after
// a while, reporting this process's own processor share (its children's
// time is not counted) and how often it woke up: over the whole command, and
// over the spans while a preview was open (watch_*), which leave out the
// unpacking, the chart and the record.
//
// tm_watch_cost_bench; TM_WATCH_SECONDS sets how long each run is watched
// (default 60).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "benchmark/benchmark_run.h"
#include "desktop/scripted/scripted_desktop.h"
#include "estimate/estimation_run.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int WatchSeconds() {
  const char* text = std::getenv("TM_WATCH_SECONDS");
  return text ? std::max(1, std::atoi(text)) : 60;
}

struct Usage {
  double cpu_seconds = 0;
  long wakeups = 0;      // voluntary context switches: sleeps that ended
  long preemptions = 0;  // involuntary ones, which say how busy the machine was
  double wall_seconds = 0;
  Usage& operator+=(const Usage& more) {
    cpu_seconds += more.cpu_seconds;
    wakeups += more.wakeups;
    preemptions += more.preemptions;
    wall_seconds += more.wall_seconds;
    return *this;
  }
  Usage Since(const Usage& before) const {
    return {cpu_seconds - before.cpu_seconds, wakeups - before.wakeups,
            preemptions - before.preemptions, wall_seconds - before.wall_seconds};
  }
  static Usage Now() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
            usage.ru_nvcsw, usage.ru_nivcsw,
            std::chrono::duration<double>(Clock::now().time_since_epoch()).count()};
  }
};

// The scripted desktop, with a click on `gadget` once `stop_at` has come,
// and again each second (a stop refused for too few predictions is asked
// again, as a person would).
class StoppingDesktop : public ScriptedDesktop {
 public:
  StoppingDesktop(std::vector<Answer> answers, std::FILE* out, int gadget,
                  Clock::time_point stop_at)
      : ScriptedDesktop(std::move(answers), out), gadget_(gadget), next_click_(stop_at) {}

  Event TakeEvent() override {
    if (Clock::now() < next_click_) return ScriptedDesktop::TakeEvent();
    next_click_ += std::chrono::seconds(1);
    Event click;
    click.type = EventType::kGadget;
    click.gadget = gadget_;
    return click;
  }
  std::optional<WindowId> OpenWindow(const WindowLayout& layout) override {
    const std::optional<WindowId> id = ScriptedDesktop::OpenWindow(layout);
    if (id && layout.kind == WindowKind::kPicture && !preview_) {
      preview_ = id;
      opened_ = Usage::Now();
    }
    return id;
  }
  void CloseWindow(WindowId window) override {
    if (window == preview_) {
      watched_ += Usage::Now().Since(opened_);
      preview_.reset();
    }
    ScriptedDesktop::CloseWindow(window);
  }
  const Usage& watched() const { return watched_; }

  void WaitForActivity(int fd, int timeout_ms) override {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_click_ - Clock::now());
    const int until_click = std::max(static_cast<int>(left.count()), 0);
    ScriptedDesktop::WaitForActivity(
        fd, timeout_ms < 0 ? until_click : std::min(until_click, timeout_ms));
  }

 private:
  int gadget_;
  Clock::time_point next_click_;
  std::optional<WindowId> preview_;  // open since `opened_`
  Usage opened_, watched_;
};

struct Sandbox {
  TempFolder temp;
  std::string app = temp.path() + "/TORVAmeter_Maxwell";
  std::string maxwell = temp.path() + "/Maxwell";

  bool Make() {
    if (!MakeSubstituteInstallation(maxwell, "--speed 1")) return false;
    fs::create_directories(app + "/archive");
    const CommandOutcome where = RunCommand("command -v 7za");
    if (where.status != 0) return false;
    fs::copy_file(where.output.substr(0, where.output.find('\n')), app + "/7za");
    return MakeBenchmarkFiles(app + "/benchmark");
  }

  std::string PackProject() {
    const std::string project = temp.path() + "/project";
    WriteFile(project + "/Kitchen.mxs", "SIM-MXS 1\ncamera Main;800x600 active\nmxi-size-mb 3\n");
    WriteFile(project + "/cameras.txt", "Main;800x600, 35mm, active;1\n");
    WriteFile(project + "/TORVAmeter_Maxwell.log", "project log\n");
    const std::string vum = app + "/archive/Kitchen.vum";
    RunCommand("cd " + ShellQuote(project) + " && 7za a -mx=1 " + ShellQuote(vum) +
               " . >/dev/null 2>&1");
    return vum;
  }

  void Prepare(Program& program) {
    program.renderer_probe_limit_ms = 60'000;
    program.state.MaxwellDir = maxwell + "/";
    program.state.FarmSpeedRatio = 12.5f;
    program.state.DeltaSL = 3.5f;
  }
};

void Report(benchmark::State& state, const Usage& whole, const Usage& watched) {
  const auto per_second = [](double amount, double seconds) {
    return seconds > 0 ? amount / seconds : 0;
  };
  state.counters["own_cpu_percent"] = 100 * per_second(whole.cpu_seconds, whole.wall_seconds);
  state.counters["wakeups_per_s"] =
      per_second(static_cast<double>(whole.wakeups), whole.wall_seconds);
  state.counters["preemptions_per_s"] =
      per_second(static_cast<double>(whole.preemptions), whole.wall_seconds);
  state.counters["watch_cpu_percent"] = 100 * per_second(watched.cpu_seconds, watched.wall_seconds);
  state.counters["watch_wakeups_per_s"] =
      per_second(static_cast<double>(watched.wakeups), watched.wall_seconds);
  state.counters["watched_s"] = watched.wall_seconds;
}

void BM_EstimationWatch(benchmark::State& state) {
  Sandbox sandbox;
  if (!sandbox.Make()) {
    state.SkipWithError("no substitute installation or 7za");
    return;
  }
  const std::string vum = sandbox.PackProject();
  std::FILE* out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    AnswerFile answers = ParseAnswers("file " + vum + "\ninput 800\ninput 600\ninput 25\n");
    const Clock::time_point start = Clock::now();
    StoppingDesktop desktop(answers.answers, out, kEstimateProject,
                            start + std::chrono::seconds(WatchSeconds()));
    Program program(desktop, sandbox.app);
    sandbox.Prepare(program);
    const Usage before = Usage::Now();
    RunEstimation(program);
    Report(state, Usage::Now().Since(before), desktop.watched());
  }
  std::fclose(out);
}
BENCHMARK(BM_EstimationWatch)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_BenchmarkPhase1Watch(benchmark::State& state) {
  Sandbox sandbox;
  if (!sandbox.Make()) {
    state.SkipWithError("no substitute installation or 7za");
    return;
  }
  std::FILE* out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    // PHASE 1 is stopped by the click; the one-minute render and the result
    // window follow, closed by the last answer.
    AnswerFile answers = ParseAnswers("close\n");
    const Clock::time_point start = Clock::now();
    StoppingDesktop desktop(answers.answers, out, kBenchmark,
                            start + std::chrono::seconds(WatchSeconds()));
    Program program(desktop, sandbox.app);
    sandbox.Prepare(program);
    const Usage before = Usage::Now();
    BenchmarkOptions options;
    RunBenchmarkWithMode(program, RenderMode::kCpu, options);
    Report(state, Usage::Now().Since(before), desktop.watched());
  }
  std::fclose(out);
}
BENCHMARK(BM_BenchmarkPhase1Watch)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace torva

BENCHMARK_MAIN();
