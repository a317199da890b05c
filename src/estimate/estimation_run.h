// The "Estimate project" command: renders a packed project on this computer
// and turns the renderer's predictions into the farm's time and price.
#pragma once

#include "render/watched_render.h"
#include "state/program.h"

namespace torva {

struct EstimationOptions {
  // A render that prints nothing for this long is stopped.
  int silence_limit_ms = kSilenceLimitMs;
  // Ends the render without a click (the runs without a window); none in the window.
  StopRule stop_rule;
};

void RunEstimation(Program& program, const EstimationOptions& options = {});

}  // namespace torva
