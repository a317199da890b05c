#include <chrono>
#include <cmath>

#include "benchmark/benchmark_steps.h"
#include "renderer/output_lines.h"
#include "renderer/render_limits.h"
#include "text/numbers.h"
#include "watch/preview_window.h"
#include "watch/window_events.h"

namespace torva {
namespace {

struct Phase2 {
  std::optional<float> sl;  // the last SL reached, when any came
  bool timed_out = false;
  int start_error = 0;  // why the renderer could not be started, or 0
  int exit_code = 0, exit_signal = 0;
  // The render time by the renderer's account, else by the program's clock.
  double rendered_seconds = 0;
  bool limit_reached = false;  // the renderer said it rendered its minute
};

// A one-minute render that ended this much short of its minute did not
// render its minute: its SL is not the minute's.
constexpr double kShortestMinuteSeconds = 55;

// PHASE 2: the one-minute render, watched in the preview window.
Phase2 RunPhase2(BenchmarkRun& run) {
  using Clock = std::chrono::steady_clock;
  Desktop& desktop = run.desktop;
  desktop.SetLogLine(0, "");
  desktop.SetLogLine(1, "");
  run.Report(run.Gpu() ? "The TORVAmeter GPU benchmark is running... (PHASE 2)"
                       : "The TORVAmeter benchmark is currently running... (PHASE 2)");
  run.Report("This is a one minute render which cannot be interrupted.");
  run.Report("");

  Phase2 result;
  const Clock::time_point start = Clock::now();
  ExternalProcess renderer = LaunchRenderer(run, BenchmarkPhase::kPhase2);
  PreviewLayout layout;
  layout.title =
      "TORVAmeter benchmark running... (real size " + SizeText(run.bench.phase2_size) + ")";
  layout.window_width = layout.picture_width = 480;
  layout.window_height = layout.picture_height = 640;
  layout.caption_x = 180;
  layout.caption_y = 616;
  PreviewWindow preview(desktop, layout, run.InBenchDir(run.bench.system_image));
  std::optional<double> renderer_seconds;
  auto on_line = [&](const std::string& line) {
    const ProgressLine progress = ClassifyProgressLine(line);
    if (progress.elapsed_seconds) renderer_seconds = static_cast<double>(*progress.elapsed_seconds);
    if (const std::optional<int64_t> finished = RenderFinishedSeconds(line))
      renderer_seconds = static_cast<double>(*finished);
    if (TimeLimitReachedLine(line)) result.limit_reached = true;
    if (std::optional<SamplingLevelLine> reading = ReadSamplingLevelLine(line)) {
      result.sl = reading->sampling_level;
      run.Report(reading->panel_text);
      preview.Refresh("Current SL = " + FormatFixed(reading->sampling_level, 2));
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      run.record.sampling_levels.push_back({seconds, reading->sampling_level});
    }
    return RunAction::kGoOn;
  };
  // The minute cannot be interrupted: a close request waits for its end.
  auto on_event = [&](const Event& event) {
    if (event.type == EventType::kCloseWindow && event.window == kMainWindow)
      run.close_requested = true;
    return RunAction::kGoOn;
  };
  WatchOptions watch;
  watch.time_limit_ms = run.options.phase2_limit_ms;
  const RunEnd end = WatchRun(renderer, desktop, on_event, on_line, watch);
  result.timed_out = end == RunEnd::kTimedOut;
  result.start_error = renderer.StartError();
  result.exit_code = renderer.ExitCode();
  result.exit_signal = renderer.ExitSignal();
  result.rendered_seconds =
      renderer_seconds.value_or(std::chrono::duration<double>(Clock::now() - start).count());
  return result;
}

}  // namespace

Next MeasureDeltaSL(BenchmarkRun& run) {
  const Phase2 phase2 = RunPhase2(run);
  if (phase2.timed_out) {
    return run.StopFor(
        {"one-minute render timed out",
         "The one minute render did not end and has been stopped, so DeltaSL could not "
         "be measured."});
  }
  run.record.phase2_renderer_end =
      phase2.start_error != 0 ? "not started" : ExitText(phase2.exit_code, phase2.exit_signal);
  if (phase2.start_error == 0 && (phase2.exit_signal != 0 || phase2.exit_code != 0)) {
    return run.StopFor(
        {"renderer crashed", kRendererCrashed,
         "It ended the one minute render with " + run.record.phase2_renderer_end + "."});
  }
  if (phase2.sl && !phase2.limit_reached && phase2.rendered_seconds < kShortestMinuteSeconds) {
    return run.StopFor(
        {"one-minute render too short", "The one minute render ended after " +
                                            FormatFixed(phase2.rendered_seconds, 0) +
                                            " seconds, so DeltaSL could not be measured."});
  }
  if (!phase2.sl) {
    return run.StopFor({"no SL reading",
                        "Maxwell Render gave no sampling level during the one minute render, so "
                        "DeltaSL could not be measured.",
                        StartFailureText("Maxwell Render", phase2.start_error)});
  }
  float delta_sl = run.farm.sl - *phase2.sl;
  // The SL reached in one minute lies on the renderer's scale, above 0 and not
  // beyond the highest level one can ask for.
  if (*phase2.sl <= 0 || *phase2.sl > kMaxSamplingLevel) {
    return run.StopFor(
        {"impossible SL reading",
         "Maxwell Render reached SL " + FormatFixed(*phase2.sl, 2) +
             " in the one minute render, which no real computer could give, so DeltaSL "
             "could not be measured."});
  }
  if (!std::isfinite(delta_sl)) {
    return run.StopFor({"no usable SL reading",
                        "Maxwell Render gave no usable sampling level in the one minute render, so "
                        "DeltaSL could not be measured."});
  }
  // A machine faster than the farm's pool gives a negative difference, a
  // result like any other. Only one the log would show as 0.00 cannot be
  // kept as it is: 0 reads back as "not run". It becomes the smallest
  // difference of its sign, and the record keeps the measured one.
  if (FormatFixed(std::fabs(delta_sl), 2) == "0.00") {
    run.record.measured_delta_sl = delta_sl;
    delta_sl = std::signbit(delta_sl) ? -0.01f : 0.01f;
  }
  run.delta_sl = delta_sl;
  return Next::GoOn();
}

}  // namespace torva
