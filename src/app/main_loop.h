#pragma once

#include "state/next.h"
#include "state/program.h"

namespace torva {

// Waits for events and runs one command per button press, until the close
// request of the main window. Then ends the program normally.
[[noreturn]] void RunMainLoop(Program& program);

// The normal end, after the main window's close request (also from inside a
// command): closes the window, writes ConfigFile (saying so when it cannot)
// and ends the program.
[[noreturn]] void EndNormally(Program& program);

}  // namespace torva
