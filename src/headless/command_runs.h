// One function per command without a window, over a program whose desktop
// is headless; headless_run.cpp does what they share.
#pragma once

#include <optional>
#include <string>

#include "desktop/terminal/terminal_desktop.h"
#include "headless/headless_command.h"
#include "state/outcome.h"
#include "state/program.h"
#include "text/json.h"

namespace torva {

struct HeadlessOutcome {
  std::string failure;            // empty: the command did its work
  std::optional<JsonValue> json;  // the result, for --json (also after a failure)
  std::string summary;            // what it made, for the last line on standard error

  static HeadlessOutcome Failed(std::string why) {
    HeadlessOutcome outcome;
    outcome.failure = std::move(why);
    return outcome;
  }
};

// Takes TORVAMETER_PASSWORD, which `setup` may read, out of the environment,
// so that no program started later (the renderer, the archiver, the system's
// opener) inherits it. Called at start, before any program is started. False
// when the variable could not be removed.
bool TakePasswordVariable();

// `program_name` names the program in the line that says what to do next.
HeadlessOutcome RunSetup(const HeadlessCommand& command, Program& program,
                         const std::string& program_name);
// The other three expect the settings loaded, the renderer checked and, for
// --gpu, a renderer that renders on the GPU.
HeadlessOutcome RunHeadlessBenchmark(const HeadlessCommand& command, Program& program,
                                     TerminalDesktop& desktop);
HeadlessOutcome RunHeadlessPrepare(const HeadlessCommand& command, Program& program,
                                   TerminalDesktop& desktop);
HeadlessOutcome RunHeadlessEstimate(const HeadlessCommand& command, Program& program,
                                    TerminalDesktop& desktop);

// Why a long command did not do its work ("" when it did): its own message
// on one line, or the reason the reply that declined or cancelled gave.
std::string FailureOf(const Outcome& outcome, const TerminalDesktop& desktop);

// The record with the paths that are not empty added as string members.
JsonValue RecordWithPaths(JsonValue record,
                          const std::vector<std::pair<std::string, std::string>>& paths);

// The reply that answers the question asked when the user closes the main
// window during a command: only an interrupt sends that close.
Reply QuitOnInterrupt();

}  // namespace torva
