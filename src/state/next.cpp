#include "state/next.h"

namespace torva {

void EndProgramAfter(Desktop& desktop, const Next& next) {
  if (!next.last_message.empty()) desktop.Message("TORVAmeter error", next.last_message);
  EndProgram(next.last_message);
}

}  // namespace torva
