// How a step tells its caller what happened, and how the program ends.
#pragma once

#include <string>

#include "desktop/desktop.h"
#include "state/outcome.h"

namespace torva {

// What a step leaves its caller to do: go on, give up the command (the
// program goes back to the main loop), or end the program. Every step that
// may end its command returns one; a step that cannot returns nothing. Why
// a command was given up lives in the command's own struct (its outcome,
// the benchmark's stop), where the step put it. Steps never end the program
// themselves: the driver of a command shows `last_message` and returns an
// outcome that says so, and the top (start-up, the main loop) ends it.
struct Next {
  enum Kind { kGoOn, kGiveUp, kEndProgram };
  Kind kind = kGoOn;
  // With kEndProgram: the error box shown before the end; empty for none.
  std::string last_message = {};
  // The same fact without the window's farewell ("TORVAmeter will now
  // quit"), for the commands without a window; empty: `last_message`.
  std::string reason = {};

  static Next GoOn() { return {}; }
  static Next GiveUp() { return {kGiveUp}; }
  // Go on when `go_on`, else give up.
  static Next GoOnIf(bool go_on) { return go_on ? GoOn() : GiveUp(); }
  bool GoesOn() const { return kind == kGoOn; }
};

// Shows the last message of a step that ends the program ("TORVAmeter
// error"), when it has one.
void ShowLastMessage(Desktop& desktop, const Next& next);

// The same, and marks `outcome` so that the command's caller ends the program.
void EndProgramAfter(Desktop& desktop, const Next& next, Outcome& outcome);

}  // namespace torva
