// A small chart of the PHASE 1 estimates against the time they arrived,
// shown beside the result window and saved beside the log.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "benchmark/benchmark_record.h"
#include "platform/picture.h"

namespace torva {

inline constexpr int kPlotWidth = 480, kPlotHeight = 300;

Picture DrawEstimatePlot(const std::vector<EstimateReading>& estimates,
                         std::optional<long long> mean_seconds, int width = kPlotWidth,
                         int height = kPlotHeight);

}  // namespace torva
