#include <algorithm>
#include <cmath>
#include <cstdint>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_steps.h"
#include "text/numbers.h"
#include "text/time_text.h"
#include "watch/settling.h"
#include "watch/stop_rules.h"
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
  // In the window the user may end it earlier, or wait until they settle.
  watch.stop_rule = run.options.phase1_stop_rule ? run.options.phase1_stop_rule : SettleStop();
  watch.too_early = {"At least two estimations are needed before you can stop the simulation...",
                     "The more estimations are done, the more reliable the test.", ""};
  watch.silence_limit_ms = run.options.silence_limit_ms;
  watch.confirm_quit = [&] { return run.ConfirmQuit("the benchmark"); };
  watch.report = [&](const std::string& text) { run.Report(text); };
  watch.on_reading = [&](const TimeLeftReading& reading, double seconds) {
    run.Report("Time left to reach SL=20 ->  " + reading.time_left_text + " (estimation " +
               std::to_string(run.record.estimates.size() + 1) + ") at SL=" + reading.sl_text);
    run.record.estimates.push_back({seconds, reading.time_left_seconds, reading.time_left_text,
                                    reading.sl_text, reading.sampling_level,
                                    reading.rendered_seconds});
  };
  ExternalProcess renderer = LaunchRenderer(run, BenchmarkPhase::kPhase1);
  return WatchRender(renderer, run.desktop, watch);
}

// The speed ratio, into the log and the panel.
void ReportRatio(BenchmarkRun& run, float ratio) {
  run.log.Write(RatioLine(ratio, run.mode));
  run.Report("");
  run.Report("The TORVA is " + FormatFixed(ratio, 1) + " times faster (+/- 10%) than");
  run.Report("this system (with " + FarmPoolText(run.mode) + ").");
  run.Report("");
}

// The estimates looked at, for a message that refuses them.
std::string ReadingsText(const std::vector<WholePrediction>& whole, std::size_t first) {
  double low = whole[first].whole_seconds, high = low;
  for (std::size_t i = first; i < whole.size(); ++i) {
    low = std::min(low, whole[i].whole_seconds);
    high = std::max(high, whole[i].whole_seconds);
  }
  return std::to_string(whole.size() - first) + " estimations of the whole render to SL=20 " +
         "between " + FormatRendererTimeText(std::llround(low)) + " and " +
         FormatRendererTimeText(std::llround(high));
}

std::optional<float> RatioOf(std::optional<double> whole_seconds, int farm_seconds) {
  if (!whole_seconds) return std::nullopt;
  return static_cast<float>(*whole_seconds / farm_seconds);
}

}  // namespace

Next MeasureRatio(BenchmarkRun& run) {
  const WatchedRender phase1 = RunPhase1(run);
  BenchmarkRecord& record = run.record;
  record.phase1_ended_by = EndedByText(phase1);
  record.phase1_renderer_end = RendererEndText(phase1);
  if (phase1.quit) return run.StopFor(Stop::Quit());
  record.impossible_estimates = phase1.impossible_predictions;
  if (phase1.silenced) {
    run.Report(SilenceLine(run.options.silence_limit_ms));
    run.Report("");
  }
  if (phase1.Crashed())
    return run.StopFor({"renderer crashed", kRendererCrashed, CrashDetail(phase1)});
  if (phase1.readings.empty()) {
    return run.StopFor(
        {"no estimate",
         "Maxwell Render gave no estimation of the time left, so the speed ratio could "
         "not be measured.",
         StartFailureText("Maxwell Render", phase1.start_error)});
  }
  // Early estimates lean one way: the ratio comes from the latter ones.
  const std::vector<WholePrediction> whole = WholePredictionsOf(phase1.readings);
  const SeriesVerdict verdict = JudgeSeries(whole);
  record.settled = verdict.settled;
  record.ratio_from = verdict.first;
  record.spread = verdict.spread;
  record.trend = verdict.trend;
  long long whole_sum = 0;
  for (std::size_t i = verdict.first; i < whole.size(); ++i)
    whole_sum += phase1.readings[i].WholeSeconds();
  const long long mean_seconds =
      MeanSeconds(whole_sum, static_cast<int>(whole.size() - verdict.first));
  const float ratio = SpeedRatio(mean_seconds, run.farm.seconds);
  if (!std::isfinite(ratio) || ratio < kMinSpeedRatio || ratio > kMaxSpeedRatio) {
    return run.StopFor({"impossible ratio", "Maxwell Render gave " +
                                                ReadingsText(whole, verdict.first) +
                                                ": a speed ratio of " + FormatFixed(ratio, 2) +
                                                ", which no real computer could give."});
  }
  record.mean_seconds = mean_seconds;
  record.speed_ratio = ratio;
  record.speed_ratio_range = {RatioOf(verdict.low, run.farm.seconds),
                              RatioOf(verdict.high, run.farm.seconds)};
  if (phase1.ended_by == RenderEndedBy::kStopRule && verdict.settled) {
    run.Report("The estimations have settled: the speed ratio is likely " +
               RatioRangeText(record.speed_ratio_range) + ".");
  }
  ReportRatio(run, ratio);
  return Next::GoOn();
}

}  // namespace torva
