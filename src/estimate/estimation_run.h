// The "Estimate project" command: renders a packed project on this computer
// and turns the renderer's predictions into the farm's time and price.
#pragma once

#include "app/globals.h"

namespace torva {

void RunEstimation(Program& program);

}  // namespace torva
