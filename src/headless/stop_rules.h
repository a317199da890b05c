// When a run without a window stops the long commands' renders: the click
// a person would give, delivered once the panel shows that its time has come.
#pragma once

#include <functional>
#include <optional>

#include "platform/headless/headless_desktop.h"

namespace torva {

// PHASE 1 of the benchmark ends after `estimates` estimations: "Benchmark"
// is clicked once the panel shows that many, and again after each further
// one should the command want more.
ClickRule BenchmarkStop(int estimates);

// Predictions that agree this closely (spread of the last five) have settled.
inline constexpr double kSettledSpread = 0.05;

// The estimation's render is stopped ("Estimate project") once `seconds` of
// rendering have passed and a prediction has come; without `seconds`, once
// the latest predictions have settled. `now` is a clock in seconds.
ClickRule EstimationStop(std::optional<double> seconds, std::function<double()> now);

}  // namespace torva
