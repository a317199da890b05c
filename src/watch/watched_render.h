// A render watched until it ends: the renderer's progress lines read in
// order, the user's stop request granted once enough predictions came, a
// renderer that goes quiet stopped. The command gives the meaning of each
// reading; this gives the rhythm and the stop rule, once for every command.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop.h"
#include "renderer/output_lines.h"
#include "renderer/process.h"
#include "watch/settling.h"

namespace torva {

// A render that prints nothing for this long is taken for hung. Heavy
// scenes may take many minutes between predictions, but not without a line.
inline constexpr int kSilenceLimitMs = 30 * 60 * 1000;

// Why the render was stopped after `limit_ms` without a line, for the panel
// and the logs.
std::string SilenceLine(int limit_ms);

// A stop a command asks for itself (after N predictions, after S seconds,
// once the predictions settle), over the predictions so far and the seconds
// since the render started; asked each second, whether predictions came or
// not. Returns what ends the render (for the record: "settle rule", "time
// limit", ...), or nullopt to go on.
using StopRule = std::function<std::optional<std::string>(
    const std::vector<TimeLeftReading>& readings, double seconds)>;

// Who or what ended a watched render.
enum class RenderEndedBy { kRenderer, kUser, kStopRule, kSilence, kQuit };

struct RenderWatch {
  int stop_gadget = -1;                    // a click on it asks to stop
  std::optional<WindowId> stop_window;     // closing it asks to stop too
  int readings_before_stop = 1;            // earlier requests are refused ...
  std::vector<std::string> too_early;      // ... with these panel lines
  int silence_limit_ms = kSilenceLimitMs;  // this long without a line stops the render
  StopRule stop_rule;                      // asked once readings_before_stop predictions came
  // A close request of the main window: true when the user wants to quit.
  std::function<bool()> confirm_quit;
  // Each prediction, with the seconds since the render started.
  std::function<void(const TimeLeftReading&, double seconds)> on_reading;
  std::function<void(const std::string& sl_text)> on_sampling_level;
  std::function<void(const std::string& text)> report;  // a panel line
};

struct WatchedRender {
  RunEnd end = RunEnd::kFinished;
  RenderEndedBy ended_by = RenderEndedBy::kRenderer;
  std::string stop_reason;      // what the stop rule said, with kStopRule
  bool stop_requested = false;  // the user asked to stop, and it was granted
  bool quit = false;            // the user chose to stop and quit
  bool silenced = false;        // stopped after silence_limit_ms without a line
  int exit_code = -1;           // the renderer's, when it ended on its own
  int exit_signal = 0;          // the signal that ended it, 0 when it exited
  int start_error = 0;          // why the renderer could not be started (errno), or 0
  // The render time the renderer last reported, when it reported one.
  std::optional<int64_t> renderer_elapsed_seconds;
  // The render time it reported at its end ("Render finished in"), when it did.
  std::optional<int64_t> renderer_finished_seconds;
  bool target_reached = false;                // it said it reached its target SL
  std::optional<double> last_sampling_level;  // the last SL it reported
  double seconds = 0;                         // how long the render ran, by the program's clock
  std::vector<TimeLeftReading> readings;      // the predictions, in order
  // Predictions of a whole render shorter than the time already rendered:
  // no renderer can mean them, so they are left out of `readings`.
  int impossible_predictions = 0;

  // The renderer ended by itself, with a signal or an exit status other
  // than 0: its readings describe a render that did not end well.
  bool Crashed() const;
  // The render time by the renderer's own account where it gave one, else
  // by the program's clock.
  double RenderedSeconds() const;
};

// "user", "render ended", "renderer crashed", the stop rule's reason,
// "silence limit" or "quit".
std::string EndedByText(const WatchedRender& render);

// What the panel and the message say first of a renderer that crashed.
inline constexpr const char* kRendererCrashed = "Maxwell Render has crashed!";

// How a crashed renderer ended: "It was ended by signal 11 (Segmentation
// fault)." or "It ended with exit status 3.".
std::string CrashDetail(const WatchedRender& render);

// How the renderer's run ended, for the records: "exit status N", "signal N
// (NAME)", "stopped" (by the program) or "not started".
std::string RendererEndText(const WatchedRender& render);

// The whole render each prediction foresees, with the render time it came at.
std::vector<WholePrediction> WholePredictionsOf(const std::vector<TimeLeftReading>& readings);

// The line a watched render reports, once, when it leaves out a prediction.
inline constexpr const char* kImpossiblePredictionLine =
    "Maxwell Render predicted a whole render shorter than the time already rendered: such "
    "predictions are left out.";

// Watches `renderer` to its end.
WatchedRender WatchRender(ExternalProcess& renderer, Desktop& desktop, const RenderWatch& watch);

}  // namespace torva
