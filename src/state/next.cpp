#include "state/next.h"

#include "desktop/titles.h"

namespace torva {

void ShowLastMessage(Desktop& desktop, const Next& next) {
  if (!next.last_message.empty()) desktop.Farewell(kErrorTitle, next.last_message);
}

void EndProgramAfter(Desktop& desktop, const Next& next, Outcome& outcome) {
  ShowLastMessage(desktop, next);
  outcome.ending = Outcome::Ending::kEndProgram;
  outcome.message = next.last_message;
  outcome.reason = next.reason;
}

}  // namespace torva
