// A line chart of times (seconds across, seconds up, both labelled as times),
// drawn without a display; the benchmark's and the estimation's charts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "picture/picture.h"

namespace torva {

struct ChartPoint {
  double x = 0, y = 0;  // seconds
};

// A shaded box round the points from x_from to x_to, between y_min and y_max.
struct ChartBand {
  double x_from = 0, x_to = 0, y_min = 0, y_max = 0;
  std::string label;
};

struct TimeChart {
  int width = 800, height = 480;
  std::string title, x_label, y_label;
  std::vector<ChartPoint> points;  // joined in order
  std::optional<double> mean_y;    // a dashed line across, labelled
  std::string mean_label;
  std::optional<ChartBand> band;
  std::string latest_label;  // when set, the last point is marked and labelled
};

// The chart as a picture; a size too small for the axes gives a blank one.
Picture DrawTimeChart(const TimeChart& chart);

// A time axis label such as "1h05m", "2m30s" or "45s".
std::string AxisTimeLabel(double seconds);

}  // namespace torva
