#pragma once

#include "state/next.h"
#include "state/program.h"

namespace torva {

// Waits for events and runs one command per button press, until the close
// request of the main window (then it ends the program normally) or a
// command that ends the program at once.
void RunMainLoop(Program& program);

// The normal end, after the main window's close request (also from inside a
// command): closes the window and writes ConfigFile (saying so when it
// cannot). The program ends when its caller returns.
void EndNormally(Program& program);

}  // namespace torva
