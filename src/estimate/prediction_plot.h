// A picture of how the farm time predicted at each estimate moved while the
// render went on, so that users can see whether the predictions settled.
#pragma once

#include <string>
#include <vector>

#include "estimate/estimation_record.h"

namespace torva {

// Draws the predictions (farm time against elapsed render time) as a PNG at
// `path`; false when there is nothing to draw or it cannot be written.
bool DrawPredictionPlot(const std::vector<Prediction>& predictions, const std::string& title,
                        const std::string& path);

// A time axis label such as "1h05m" or "2m30s".
std::string AxisTimeLabel(double seconds);

}  // namespace torva
