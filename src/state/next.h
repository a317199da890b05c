// How a step tells its caller what happened, and how the program ends.
#pragma once

#include <string>

#include "desktop/desktop.h"

namespace torva {

// What a step leaves its caller to do: go on, give up the command (the
// program goes back to the main loop), or end the program. Steps never end
// the program themselves; the top does (start-up, the main loop, or the
// driver of a command), after showing `last_message`.
struct Next {
  enum Kind { kGoOn, kGiveUp, kEndProgram };
  Kind kind = kGoOn;
  // With kEndProgram: the error box shown before the end; empty for none.
  std::string last_message = {};
  // The same fact without the window's farewell ("TORVAmeter will now
  // quit"), for the commands without a window; empty: `last_message`.
  std::string reason = {};
};

// Thrown by EndProgram; the program's entry point catches it and exits with
// status 0, so everything held open is released on the way out. `message`:
// the last message shown, when there was one; `reason` as in Next.
struct ProgramEnded {
  std::string message;
  std::string reason = {};
};

// The immediate end after a fatal message: writes nothing. For the top only.
[[noreturn]] inline void EndProgram(std::string message = "", std::string reason = "") {
  throw ProgramEnded{std::move(message), std::move(reason)};
}

// Shows the last message of a step that ends the program ("TORVAmeter
// error"), then ends it.
[[noreturn]] void EndProgramAfter(Desktop& desktop, const Next& next);

}  // namespace torva
