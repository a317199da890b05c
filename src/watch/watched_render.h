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

namespace torva {

// A render that prints nothing for this long is taken for hung. Heavy
// scenes may take many minutes between predictions, but not without a line.
inline constexpr int kSilenceLimitMs = 30 * 60 * 1000;

// Why the render was stopped after `limit_ms` without a line, for the panel
// and the logs.
std::string SilenceLine(int limit_ms);

// A stop a command asks for itself (the runs without a window: after N
// predictions, after S seconds, once the predictions settle), over the
// predictions so far and the seconds since the render started. Returns what
// ends the render (for the record: "settle rule", "time limit", ...), or
// nullopt to go on.
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
  int start_error = 0;          // why the renderer could not be started (errno), or 0
  // The render time the renderer last reported, when it reported one.
  std::optional<int64_t> renderer_elapsed_seconds;
  double seconds = 0;                     // how long the render ran, by the program's clock
  std::vector<TimeLeftReading> readings;  // the predictions, in order
};

// "user", "render ended", the stop rule's reason, "silence limit" or "quit".
std::string EndedByText(const WatchedRender& render);

// Watches `renderer` to its end.
WatchedRender WatchRender(ExternalProcess& renderer, Desktop& desktop, const RenderWatch& watch);

}  // namespace torva
