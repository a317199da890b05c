// One function per command without a window, over a program whose desktop
// is headless; headless_run.cpp does what they share.
#pragma once

#include <optional>
#include <string>

#include "headless/headless_command.h"
#include "platform/headless/headless_desktop.h"
#include "state/program.h"

namespace torva {

struct HeadlessOutcome {
  std::string failure;              // empty: the command did its work
  std::optional<std::string> json;  // the result, for --json (also after a failure)
};

HeadlessOutcome RunSetup(const HeadlessCommand& command, Program& program);
// The other three expect the settings loaded and the renderer checked.
HeadlessOutcome RunHeadlessBenchmark(const HeadlessCommand& command, Program& program,
                                     HeadlessDesktop& desktop);
HeadlessOutcome RunHeadlessPrepare(const HeadlessCommand& command, Program& program,
                                   HeadlessDesktop& desktop);
HeadlessOutcome RunHeadlessEstimate(const HeadlessCommand& command, Program& program,
                                    HeadlessDesktop& desktop);

// Why a command did not do its work: the reason a reply gave, or else what
// the program's latest message said, or else `otherwise`.
std::string FailureOf(const HeadlessDesktop& desktop, const std::string& otherwise);

// The JSON record at `record_path` with `paths` added as string members, on
// one line; nullopt when the record cannot be read.
std::optional<std::string> RecordWithPaths(
    const std::string& record_path, const std::vector<std::pair<std::string, std::string>>& paths);

// The reply that answers the question asked when the user closes the main
// window during a command: only an interrupt sends that close.
Reply QuitOnInterrupt();

}  // namespace torva
