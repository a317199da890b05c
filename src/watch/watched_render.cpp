#include "watch/watched_render.h"

#include <algorithm>
#include <chrono>

#include "watch/window_events.h"

namespace torva {
namespace {

constexpr int kStopRuleLookMs = 1000;

// A prediction of the whole render is impossible once the render has run
// longer than it says, beyond what a late reading of its line explains.
bool Impossible(const TimeLeftReading& reading, double rendering_for) {
  return static_cast<double>(reading.WholeSeconds()) * 1.1 + 5 < rendering_for;
}

// A close request asks whether to quit; a stop request is granted once
// enough predictions came, and refused with the watch's lines before.
RunAction TakeEvent(const RenderWatch& watch, const Event& event, WatchedRender& result) {
  if (event.type == EventType::kCloseWindow && event.window == kMainWindow) {
    result.quit = watch.confirm_quit && watch.confirm_quit();
    if (result.quit) result.ended_by = RenderEndedBy::kQuit;
    return result.quit ? RunAction::kClose : RunAction::kGoOn;
  }
  const bool stop_click = event.type == EventType::kGadget && event.gadget == watch.stop_gadget;
  const bool window_closed = event.type == EventType::kCloseWindow && watch.stop_window &&
                             event.window == *watch.stop_window;
  if (!stop_click && !window_closed) return RunAction::kGoOn;
  if (static_cast<int>(result.readings.size()) >= watch.readings_before_stop) {
    result.stop_requested = true;
    result.ended_by = RenderEndedBy::kUser;
    return RunAction::kStop;
  }
  for (const std::string& line : watch.too_early) watch.report(line);
  return RunAction::kGoOn;
}

// What the renderer said of its render, as it stood at the end.
void KeepWhatItSaid(const RenderProgress& progress, WatchedRender& result) {
  result.renderer_elapsed_seconds = progress.elapsed();
  result.renderer_finished_seconds = progress.finished_seconds();
  result.target_reached = progress.target_reached();
  result.last_sampling_level = progress.sampling_level();
}

}  // namespace

std::string SilenceLine(int limit_ms) {
  const int seconds = limit_ms / 1000;
  const std::string span = seconds >= 120 ? std::to_string(seconds / 60) + " minutes"
                           : seconds == 1 ? "1 second"
                                          : std::to_string(seconds) + " seconds";
  return "Maxwell Render printed nothing for " + span + ", so the render has been stopped.";
}

WatchedRender WatchRender(ExternalProcess& renderer, Desktop& desktop, const RenderWatch& watch) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  Clock::time_point last_line = start;
  std::optional<Clock::time_point> rendering_since;  // the first progress line
  auto since_start = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  RenderProgress progress;
  WatchedRender result;

  auto on_event = [&](const Event& event) { return TakeEvent(watch, event, result); };
  auto on_line = [&](const std::string& line) {
    last_line = Clock::now();
    const ProgressLine kind = progress.Take(line, since_start());
    if (kind.kind != ProgressLineKind::kOther && !rendering_since) rendering_since = last_line;
    if (kind.kind == ProgressLineKind::kTimeLeft &&
        Impossible(*progress.latest(),
                   std::chrono::duration<double>(last_line - *rendering_since).count())) {
      if (result.impossible_predictions++ == 0 && watch.report)
        watch.report(kImpossiblePredictionLine);
    } else if (kind.kind == ProgressLineKind::kTimeLeft) {
      result.readings.push_back(*progress.latest());
      if (watch.on_reading) watch.on_reading(result.readings.back(), since_start());
    } else if (kind.kind == ProgressLineKind::kSamplingLevel && watch.on_sampling_level) {
      watch.on_sampling_level(progress.sl_text());
    }
    return RunAction::kGoOn;
  };
  WatchOptions options;
  options.on_pass = [&] {
    result.silenced = Clock::now() - last_line > std::chrono::milliseconds(watch.silence_limit_ms);
    if (result.silenced) {
      result.ended_by = RenderEndedBy::kSilence;
      return RunAction::kStop;
    }
    if (!watch.stop_rule) return RunAction::kGoOn;
    std::optional<std::string> reason = watch.stop_rule(result.readings, since_start());
    if (!reason) return RunAction::kGoOn;
    result.ended_by = RenderEndedBy::kStopRule;
    result.stop_reason = std::move(*reason);
    return RunAction::kStop;
  };
  // A quiet render is looked at when the silence limit comes, and each
  // second once a stop rule is asked: it may turn on the time alone.
  options.on_pass_due_ms = [&] {
    const auto quiet = std::chrono::ceil<std::chrono::milliseconds>(Clock::now() - last_line);
    int due_ms = std::max(0, watch.silence_limit_ms - static_cast<int>(quiet.count()));
    if (watch.stop_rule) due_ms = std::min(due_ms, kStopRuleLookMs);
    return due_ms;
  };

  result.end = WatchRun(renderer, desktop, on_event, on_line, options);
  result.start_error = renderer.StartError();
  result.seconds = since_start();
  KeepWhatItSaid(progress, result);
  if (result.end == RunEnd::kFinished) {
    result.exit_code = renderer.ExitCode();
    result.exit_signal = renderer.ExitSignal();
  }
  return result;
}

bool WatchedRender::Crashed() const {
  return ended_by == RenderEndedBy::kRenderer && end == RunEnd::kFinished && start_error == 0 &&
         (exit_signal != 0 || exit_code != 0);
}

double WatchedRender::RenderedSeconds() const {
  if (renderer_finished_seconds) return static_cast<double>(*renderer_finished_seconds);
  if (renderer_elapsed_seconds) return static_cast<double>(*renderer_elapsed_seconds);
  return seconds;
}

std::string RendererEndText(const WatchedRender& render) {
  if (render.start_error != 0) return "not started";
  if (render.ended_by != RenderEndedBy::kRenderer || render.end != RunEnd::kFinished)
    return "stopped";
  return ExitText(render.exit_code, render.exit_signal);
}

std::string CrashDetail(const WatchedRender& render) {
  return std::string(render.exit_signal != 0 ? "It was ended by " : "It ended with ") +
         RendererEndText(render) + ".";
}

std::vector<WholePrediction> WholePredictionsOf(const std::vector<TimeLeftReading>& readings) {
  std::vector<WholePrediction> whole;
  for (const TimeLeftReading& reading : readings)
    whole.push_back({static_cast<double>(reading.rendered_seconds),
                     static_cast<double>(reading.WholeSeconds())});
  return whole;
}

std::string EndedByText(const WatchedRender& render) {
  switch (render.ended_by) {
    case RenderEndedBy::kRenderer: return render.Crashed() ? "renderer crashed" : "render ended";
    case RenderEndedBy::kUser: return "user";
    case RenderEndedBy::kStopRule: return render.stop_reason;
    case RenderEndedBy::kSilence: return "silence limit";
    case RenderEndedBy::kQuit: return "quit";
  }
  return "";
}

}  // namespace torva
