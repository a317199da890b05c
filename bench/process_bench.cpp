// How much processor time the program itself spends while it watches a
// child (the watched run must stay far below 1% of one core), and how fast
// the program lets go of a child that floods it with output.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "testing/commands.h"
#include "testing/quiet_desktop.h"
#include "watch/window_events.h"

namespace torva {
namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Sample {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  double cpu = CpuSeconds();
};

// Runs `watch` (which may end the measurement early by filling `end`) and
// reports this process's processor use as a share of one core.
template <typename Watch>
void MeasureOwnCpu(benchmark::State& state, Watch watch) {
  for (auto _ : state) {
    const Sample start;
    std::optional<Sample> end;
    const long lines = watch(end);
    if (!end) end.emplace();
    const double wall = std::chrono::duration<double>(end->wall - start.wall).count();
    state.SetIterationTime(wall);
    state.counters["cpu_percent"] = 100.0 * (end->cpu - start.cpu) / wall;
    state.counters["lines"] = static_cast<double>(lines);
  }
}

// The benchmark and estimation loop: 100 ms passes, one event and one line
// each, for 10 s while the child burns a core and prints a line every 50 ms
// (faster than the loop reads, so the pipe keeps filling).
void BM_WatchRunBusyChild(benchmark::State& state) {
  QuietDesktop desktop;
  MeasureOwnCpu(state, [&](std::optional<Sample>& end) {
    long lines = 0;
    const Sample start;
    ExternalProcess child = ExternalProcess::Launch(TM_TEST_CHILD, Words("burn 12 50"), "/");
    WatchRun(
        child, desktop, [](const Event&) { return RunAction::kGoOn; },
        [&](const std::string&) {
          ++lines;
          if (std::chrono::steady_clock::now() - start.wall < std::chrono::seconds(10)) {
            return RunAction::kGoOn;
          }
          if (!end) end.emplace();
          return RunAction::kStop;
        });
    return lines;
  });
}
BENCHMARK(BM_WatchRunBusyChild)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The detection loop: no pause, no events, blocking on the pipe between
// lines that come every 100 ms.
void BM_DetectionLoopSlowChild(benchmark::State& state) {
  MeasureOwnCpu(state, [](std::optional<Sample>&) {
    long lines = 0;
    ExternalProcess child = ExternalProcess::Launch(TM_TEST_CHILD, Words("lines 50 100"), "/");
    while (child.Running()) {
      child.WaitForOutput();
      if (child.OutputAvailable()) {
        child.ReadLine();
        ++lines;
      }
    }
    child.Close();
    return lines;
  });
}
BENCHMARK(BM_DetectionLoopSlowChild)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The gathering and packing loop: an event per pass, no pause, child busy
// and mostly silent.
void BM_WatchRunWithoutPauseBusyChild(benchmark::State& state) {
  QuietDesktop desktop;
  MeasureOwnCpu(state, [&](std::optional<Sample>&) {
    long lines = 0;
    ExternalProcess child = ExternalProcess::Launch(TM_TEST_CHILD, Words("burn 5 1000"), "/");
    WatchRun(
        child, desktop, [](const Event&) { return RunAction::kGoOn; },
        [&](const std::string&) {
          ++lines;
          return RunAction::kGoOn;
        },
        {.pause = false});
    return lines;
  });
}
BENCHMARK(BM_WatchRunWithoutPauseBusyChild)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// A stop request while the child floods the pipe with short lines: the time
// from the stop to the end of the run, in which the unread output (at most
// the bounded buffer and the pipe) is read and handed on without the pause;
// also the lines handed on and the most output held unread at once.
void BM_StopFloodingChild(benchmark::State& state) {
  QuietDesktop desktop;
  for (auto _ : state) {
    ExternalProcess child =
        ExternalProcess::Launch(TM_TEST_CHILD, Words("repeat \"Engine version 5.2.1\""), "/");
    long lines = 0;
    std::size_t most_buffered = 0;
    std::optional<std::chrono::steady_clock::time_point> stopped;
    WatchRun(
        child, desktop, [](const Event&) { return RunAction::kGoOn; },
        [&](const std::string&) {
          most_buffered = std::max(most_buffered, child.BufferedBytes());
          ++lines;
          if (stopped || lines < 5) return RunAction::kGoOn;
          stopped = std::chrono::steady_clock::now();
          return RunAction::kStop;
        });
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - *stopped).count());
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["most_buffered_KiB"] = static_cast<double>(most_buffered) / 1024;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_StopFloodingChild)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torva
