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
  };
  Ending ending = Ending::kFinished;
  std::string message;

  void Fail(std::string why) {
    ending = Ending::kFailed;
    message = std::move(why);
  }
  bool Finished() const { return ending == Ending::kFinished; }
};

}  // namespace torva
