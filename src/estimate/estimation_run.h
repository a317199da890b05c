// The "Estimate project" command: renders a packed project on this computer
// and turns the renderer's predictions into the farm's time and price.
#pragma once

#include "state/program.h"

namespace torva {

struct EstimationOptions {
  // A render that gives no estimation for this long is stopped.
  int silence_limit_ms = 5 * 60 * 1000;
};

void RunEstimation(Program& program, const EstimationOptions& options = {});

}  // namespace torva
