#include "state/next.h"

#include "desktop/titles.h"

namespace torva {

void EndProgramAfter(Desktop& desktop, const Next& next) {
  if (!next.last_message.empty()) desktop.Farewell(kErrorTitle, next.last_message);
  EndProgram(next.last_message, next.reason);
}

}  // namespace torva
