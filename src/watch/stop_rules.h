// When a render stops without a click: rules over the predictions the
// watched render keeps, where a person would click.
#pragma once

#include <optional>

#include "watch/watched_render.h"

namespace torva {

// PHASE 1 without a window lasts at most this long.
inline constexpr double kPhase1LimitSeconds = 180;
// An estimation without a window and without a time of its own renders at
// most this long.
inline constexpr double kEstimationLimitSeconds = 300;

// Once the predictions have settled: the window's PHASE 1, which the user
// may also end earlier.
StopRule SettleStop();

// PHASE 1 of the benchmark ends after `estimates` estimates when given; else
// once they have settled, or after `limit_seconds` whatever came.
StopRule BenchmarkStop(std::optional<int> estimates, double limit_seconds = kPhase1LimitSeconds);

// The estimation's render is stopped once `seconds` of rendering have passed
// when given; else once the predictions have settled, or after
// `limit_seconds`.
StopRule EstimationStop(std::optional<double> seconds,
                        double limit_seconds = kEstimationLimitSeconds);

}  // namespace torva
