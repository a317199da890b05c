// The program from start to end: start-up, the main event loop and the
// normal end.
#pragma once

#include <string>

#include "state/program.h"

namespace torva {

// Runs the whole program and returns its exit status (always 0).
int RunProgram(Program& program);

// For the test programs: the renderer probe's limit from a count of whole
// seconds (1 to 86400). False, and nothing changed, for any other text.
bool SetProbeLimit(const std::string& seconds, Program& program);

}  // namespace torva
