// When a run without a window stops the long commands' renders, where a
// person would click: rules over the predictions the watched render keeps.
#pragma once

#include <optional>

#include "watch/watched_render.h"

namespace torva {

// PHASE 1 at real-time speed lasts at most this long without a click.
inline constexpr double kPhase1LimitSeconds = 180;

// PHASE 1 of the benchmark ends after `estimates` estimates when given; else
// once they have settled, or after `limit_seconds`.
StopRule BenchmarkStop(std::optional<int> estimates, double limit_seconds = kPhase1LimitSeconds);

// The estimation's render is stopped once `seconds` of rendering have passed
// (and a prediction has come); without `seconds`, once the predictions have
// settled.
StopRule EstimationStop(std::optional<double> seconds);

}  // namespace torva
