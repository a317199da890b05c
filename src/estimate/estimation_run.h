// The "Estimate project" command: renders a packed project on this computer
// and turns the renderer's predictions into the farm's time and price.
#pragma once

#include "render/watched_render.h"
#include "state/program.h"

namespace torva {

struct EstimationOptions {
  // A render that prints nothing for this long is stopped.
  int silence_limit_ms = kSilenceLimitMs;
};

void RunEstimation(Program& program, const EstimationOptions& options = {});

}  // namespace torva
