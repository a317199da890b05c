// The program from start to end: start-up, the main event loop and the
// normal end.
#pragma once

#include "app/globals.h"

namespace torva {

// Runs the whole program and returns its exit status (always 0).
int RunProgram(Program& program);

}  // namespace torva
