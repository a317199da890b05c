#pragma once

#include "app/globals.h"

namespace torva {

// Waits for events and runs one command per button press, until the close
// request of the main window. Then ends the program normally.
[[noreturn]] void RunMainLoop(Program& program);

}  // namespace torva
