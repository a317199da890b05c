// The system's "open" command: a web address in the browser, a document in
// its viewer, a folder in the file manager.
#pragma once

#include <string>

namespace torva {

// Starts "open TARGET" (macOS) or "xdg-open TARGET" and returns at once; the
// opener's output is discarded and no zombie is left behind.
void SystemOpen(const std::string& target);

}  // namespace torva
