// The standard streams a program was started with.
#pragma once

namespace torva {

struct ClosedStreams {
  bool input = false, output = false, error = false;
};

// Puts /dev/null on each of the descriptors 0, 1 and 2 that is closed, so
// that no file the program opens later takes its number (and receives what
// was meant for the terminal). Says which ones were closed.
ClosedStreams ReserveStandardStreams();

// Standard input is a terminal (a person would have to type).
bool StandardInputIsTerminal();

}  // namespace torva
