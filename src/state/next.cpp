#include "state/next.h"

namespace torva {

void EndProgramAfter(Desktop& desktop, const Next& next) {
  if (!next.last_message.empty()) desktop.Farewell("TORVAmeter error", next.last_message);
  EndProgram(next.last_message, next.reason);
}

}  // namespace torva
