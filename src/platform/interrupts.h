// SIGINT, SIGTERM and SIGHUP caught rather than ending the program at once,
// so that it can stop what it started and clean up before it ends.
#pragma once

#include <string>

namespace torva {

// From here on the three signals are noted and SIGPIPE is ignored (a write
// to a reader that went away fails instead of ending the program). False,
// with errno set, when one of them could not be caught.
[[nodiscard]] bool CatchInterrupts();

// The first interrupt's signal number, 0 before any.
int InterruptSignal();

// Becomes readable at the first interrupt and stays so (nothing reads it), so
// that a wait about to begin when the signal came still ends at once. -1 when
// it could not be made: an interrupt then ends only a wait it comes during.
int InterruptFd();

// Why the signals could not be caught, for a warning on standard error.
std::string UncaughtInterruptsWarning(int error);

// "SIGINT", "SIGTERM" or "SIGHUP".
const char* InterruptName(int signal);

}  // namespace torva
