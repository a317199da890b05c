// The system's "open" command: a web address in the browser, a document in
// its viewer, a folder in the file manager.
#pragma once

#include <string>

namespace torva {

enum class OpenOutcome {
  kOpened,    // the opener ended without complaint, or is still at work
  kNoOpener,  // no "open" (macOS) or "xdg-open" command on this system
  kFailed,    // the opener ended with a failure status, or could not start
};

// xdg-open and open hand the target to the desktop and end at once; an
// opener that runs the viewer itself may take as long as the viewer does.
inline constexpr int kOpenVerdictWaitMs = 3'000;

// Starts "open TARGET" (macOS) or "xdg-open TARGET" and waits up to
// `wait_ms` for the opener to end; after that it is left to run on its own.
// The opener's output is discarded and no zombie is left behind.
OpenOutcome SystemOpen(const std::string& target, int wait_ms = kOpenVerdictWaitMs);

}  // namespace torva
