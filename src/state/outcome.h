// How a long command ended, for its caller: like `Next`, data and not a
// message (the command has told the user already). The window leaves it;
// the commands without a window print from it and never read the panel.
#pragma once

#include <string>

namespace torva {

struct Outcome {
  enum class Ending {
    kFinished,   // the command did its work
    kFailed,     // it could not: `message` says why, as the user was told
    kCancelled,  // the user cancelled or declined a question
    kQuit,       // the user chose to quit meanwhile
    // A fault the program cannot go on after (its folder or renderer gone,
    // a file missing): `message` was shown as the farewell; the caller ends
    // the program at once, writing nothing.
    kEndProgram,
  };
  Ending ending = Ending::kFinished;
  std::string message;
  std::string reason;  // with kEndProgram: `message` without the window's farewell

  void Fail(std::string why) {
    ending = Ending::kFailed;
    message = std::move(why);
  }
  bool Finished() const { return ending == Ending::kFinished; }
  bool EndsProgram() const { return ending == Ending::kEndProgram; }
};

}  // namespace torva
