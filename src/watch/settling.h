// What a progressive renderer's predictions of a whole render say about its
// true length. Early predictions lean one way and move towards the truth as
// the render converges, some quickly, some over many minutes; a few agreeing
// in a row prove nothing while the series still moves in one direction. So
// the judgement looks at the latter half of the render so far: the
// predictions have settled when they agree and no longer climb or fall, and
// the range around their mean widens with their noise and their trend, and
// stays open on a side towards which they still move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace torva {

// One prediction of the whole render (render time so far + time left), with
// the render time it came at.
struct WholePrediction {
  double rendered_seconds = 0;
  double whole_seconds = 0;
};

// A range needs at least this many predictions in the latter half; settling
// needs twice as many, so that a few that agree by chance settle nothing.
inline constexpr std::size_t kRangePredictions = 10;
inline constexpr std::size_t kSettlingPredictions = 2 * kRangePredictions;
// They settle when a line fitted through them, give or take its standard
// error, climbs or falls by less than this across them ...
inline constexpr double kSettledTrend = 0.04;
inline constexpr double kSettledSpread = 0.05;  // ... and the last five agree within 5 %
// They still move when the line alone climbs or falls by more than this.
inline constexpr double kMovingTrend = 0.03;

struct SeriesVerdict {
  bool settled = false;
  std::size_t first = 0;   // the predictions the figure comes from: [first, end)
  double value = 0;        // their mean, in seconds
  double spread = 0;       // (max - min) / max of them
  double trend = 0;        // their relative change from the first to the last, by a fitted line
  double trend_error = 0;  // its standard error
  // Where the true whole render likely lies; nullopt: open on that side
  // (too few predictions, or still moving that way).
  std::optional<double> low, high;
};

SeriesVerdict JudgeSeries(const std::vector<WholePrediction>& predictions);

// (max - min) / max of `values[first, last)`; 0 when they are all 0.
double SpreadOf(const std::vector<double>& values, std::size_t first, std::size_t last);

}  // namespace torva
