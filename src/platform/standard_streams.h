// The standard streams a program was started with.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

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

// Asks for a secret on the terminal, as sudo and ssh do: `prompt` and a line
// typed with echo off (put back on every way out), from /dev/tty, else from
// standard input. At most `limit` bytes are kept. nullopt when a signal
// interrupted it or nothing could be read.
std::optional<std::string> ReadSecretLine(const std::string& prompt, std::size_t limit);

}  // namespace torva
