// What the one struct that a long command's steps run over starts with: the
// parts of the program its steps use, the command's log and its outcome,
// and the ways its steps tell the user.
#pragma once

#include <string>
#include <vector>

#include "state/program.h"

namespace torva {

// A step sees the desktop it talks through, the application folder's paths,
// the fixed figures, the state it reads and changes, and the runner that
// starts its programs. The rest of the program (the update servers, the
// renderer probe and its limit, what the window remembers) is not the
// steps': a check that probes the renderer is handed the program by its
// driver.
template <typename CommandOutcome, typename CommandLog>
struct CommandRun {
  explicit CommandRun(Program& program)
      : desktop(program.desktop),
        paths(program.paths),
        constants(program.constants),
        state(program.state),
        runner(program.runner) {}

  // The next LogPanel line, or lines.
  void Report(const std::string& text) { ReportLine(desktop, state, text); }
  void ReportLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Report(line);
  }
  // Each line onto the panel and into the log.
  void ReportAndLog(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      Report(line);
      log.Write(line);
    }
  }
  // The message box, whose text is also why the command failed.
  void Fail(const std::string& title, const std::string& text) {
    desktop.Message(title, text);
    outcome.Fail(text);
  }

  // A close request of the main window during the command. True when the
  // user wants to stop `activity` (e.g. "the benchmark") and quit; the
  // command then ends its child, leaves nothing half-written and returns.
  bool ConfirmQuit(const std::string& activity) {
    state.quit_requested =
        desktop.QuestionDefaultNo(QuestionId::kStopAndQuit, "TORVAmeter",
                                  "Do you want to stop " + activity + " and quit TORVAmeter?");
    return state.quit_requested;
  }
  // What a watched run does with a window event: a close request of the
  // main window asks whether to stop `activity` and quit.
  RunAction CloseAsksToQuit(const Event& event, const std::string& activity) {
    const bool close = event.type == EventType::kCloseWindow && event.window == kMainWindow;
    return close && ConfirmQuit(activity) ? RunAction::kClose : RunAction::kGoOn;
  }

  Desktop& desktop;
  const AppPaths& paths;
  const Constants& constants;
  State& state;
  Runner& runner;
  CommandLog log;
  CommandOutcome outcome;
};

}  // namespace torva
