#include <cmath>
#include <cstdint>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_steps.h"
#include "text/numbers.h"
#include "watch/settling.h"
#include "watch/watched_render.h"

namespace torva {
namespace {

// PHASE 1: the renderer's estimates of the time to SL 20, until the user
// (or the options' stop rule) stops it after at least two. Each estimate
// counts as the whole render time it predicts (the time rendered so far plus
// the time left), so the mean does not depend on when the render stops.
WatchedRender RunPhase1(BenchmarkRun& run) {
  RenderWatch watch;
  watch.stop_gadget = kBenchmark;
  watch.readings_before_stop = 2;
  watch.stop_rule = run.options.phase1_stop_rule;
  watch.too_early = {"At least two estimations are needed before you can stop the simulation...",
                     "The more estimations are done, the more reliable the test.", ""};
  watch.silence_limit_ms = run.options.silence_limit_ms;
  watch.confirm_quit = [&] { return ConfirmQuit(run.program, "the benchmark"); };
  watch.report = [&](const std::string& text) { run.Report(text); };
  watch.on_reading = [&](const TimeLeftReading& reading, double seconds) {
    run.Report("Time left to reach SL=20 ->  " + reading.time_left_text + " (estimation " +
               std::to_string(run.record.estimates.size() + 1) + ") at SL=" + reading.sl_text);
    run.record.estimates.push_back({seconds, reading.time_left_seconds, reading.time_left_text,
                                    reading.sl_text, reading.sampling_level,
                                    reading.rendered_seconds});
  };
  ExternalProcess renderer = LaunchRenderer(run, BenchmarkPhase::kPhase1);
  return WatchRender(renderer, run.program.desktop, watch);
}

// The speed ratio, into the log and the panel.
void ReportRatio(BenchmarkRun& run, float ratio) {
  run.log.Write(RatioLine(ratio, run.mode));
  run.Report("");
  run.Report("The TORVA is " + FormatFixed(ratio, 1) + " times faster (+/- 10%) than");
  run.Report("this system (with " + FarmPoolText(run.mode) + ").");
  run.Report("");
}

}  // namespace

std::optional<Stop> MeasureRatio(BenchmarkRun& run) {
  const WatchedRender phase1 = RunPhase1(run);
  if (phase1.quit) return Stop{"stopped to quit", ""};
  if (phase1.silenced) {
    run.Report(SilenceLine(run.options.silence_limit_ms));
    run.Report("");
  }
  if (phase1.readings.empty()) {
    return Stop{"no estimate",
                "Maxwell Render gave no estimation of the time left, so the speed ratio could "
                "not be measured.",
                StartFailureText("Maxwell Render", phase1.start_error)};
  }
  run.record.phase1_ended_by = EndedByText(phase1);
  // Early estimates lean one way; once they have settled, only the settled
  // ones count.
  std::vector<std::int64_t> whole;
  for (const TimeLeftReading& reading : phase1.readings) whole.push_back(reading.WholeSeconds());
  run.record.settled_from = SettledFrom(whole);
  const std::size_t first = run.record.settled_from.value_or(0);
  run.record.spread = SpreadOf(whole, first, whole.size());
  long long whole_sum = 0;
  for (std::size_t i = first; i < whole.size(); ++i) whole_sum += whole[i];
  const long long mean_seconds = MeanSeconds(whole_sum, static_cast<int>(whole.size() - first));
  const float ratio = SpeedRatio(mean_seconds, run.farm.seconds);
  if (!std::isfinite(ratio) || ratio <= 0) {
    return Stop{"no estimate",
                "Maxwell Render gave no usable estimation of the time left, so the speed ratio "
                "could not be measured."};
  }
  run.record.mean_seconds = mean_seconds;
  run.record.speed_ratio = ratio;
  ReportRatio(run, ratio);
  return std::nullopt;
}

}  // namespace torva
