#include "watch/settling.h"

#include <algorithm>
#include <cmath>

namespace torva {
namespace {

// What no spread of the predictions can tell: how far a settled renderer's
// own model may still be from the truth.
constexpr double kModelError = 0.02;
// How many standard errors of the mean the noise adds on each side.
constexpr double kNoiseErrors = 3;
// A trend counts once it is this many standard errors from none ...
constexpr double kTrendErrors = 2;
// ... and then goes on at least this many times as far as over the render so far.
constexpr double kOnwardRenders = 2;

struct Line {
  double mean_t = 0, mean_x = 0;
  double slope = 0;        // seconds of prediction per second of render
  double slope_error = 0;  // its standard error
  double residual_sd = 0;  // of the predictions around the line
};

Line FitLine(const std::vector<WholePrediction>& p, std::size_t first) {
  Line line;
  const double m = static_cast<double>(p.size() - first);
  for (std::size_t i = first; i < p.size(); ++i) {
    line.mean_t += p[i].rendered_seconds / m;
    line.mean_x += p[i].whole_seconds / m;
  }
  double stt = 0, stx = 0;
  for (std::size_t i = first; i < p.size(); ++i) {
    const double dt = p[i].rendered_seconds - line.mean_t;
    stt += dt * dt;
    stx += dt * (p[i].whole_seconds - line.mean_x);
  }
  if (stt > 0) line.slope = stx / stt;
  double squares = 0;
  for (std::size_t i = first; i < p.size(); ++i) {
    const double fitted = line.mean_x + line.slope * (p[i].rendered_seconds - line.mean_t);
    squares += (p[i].whole_seconds - fitted) * (p[i].whole_seconds - fitted);
  }
  if (m > 2) line.residual_sd = std::sqrt(squares / (m - 2));
  if (stt > 0) line.slope_error = line.residual_sd / std::sqrt(stt);
  return line;
}

}  // namespace

double SpreadOf(const std::vector<double>& values, std::size_t first, std::size_t last) {
  if (first >= last || last > values.size()) return 0;
  const auto [low, high] = std::minmax_element(values.begin() + static_cast<std::ptrdiff_t>(first),
                                               values.begin() + static_cast<std::ptrdiff_t>(last));
  return *high == 0 ? 0 : (*high - *low) / *high;
}

SeriesVerdict JudgeSeries(const std::vector<WholePrediction>& p) {
  SeriesVerdict verdict;
  const std::size_t n = p.size();
  if (n == 0) return verdict;
  // The latter half of the render so far, or the last few when it holds fewer.
  const double last_t = p.back().rendered_seconds;
  std::size_t first = n;
  while (first > 0 && p[first - 1].rendered_seconds >= last_t / 2) --first;
  first = std::min(first, n - std::min(n, kRangePredictions));
  verdict.first = first;

  std::vector<double> whole;
  for (const WholePrediction& prediction : p) whole.push_back(prediction.whole_seconds);
  const Line line = FitLine(p, first);
  const double value = line.mean_x;
  verdict.value = value;
  verdict.spread = SpreadOf(whole, first, n);
  if (value <= 0 || n - first < kRangePredictions) return verdict;

  const double span = last_t - p[first].rendered_seconds;
  verdict.trend = line.slope * span / value;
  verdict.trend_error = line.slope_error * span / value;
  const bool moving = std::fabs(verdict.trend) > kMovingTrend;
  // A few noisy predictions may look flat by chance: the trend they allow
  // must be small too.
  verdict.settled = n - first >= kSettlingPredictions &&
                    std::fabs(verdict.trend) + verdict.trend_error <= kSettledTrend &&
                    SpreadOf(whole, n - 5, n) <= kSettledSpread;

  const double m = static_cast<double>(n - first);
  double noise =
      value * std::max(kModelError, kNoiseErrors * line.residual_sd / value / std::sqrt(m));
  if (!verdict.settled) noise *= 2;
  double low = value - noise, high = value + noise;
  // A trend the noise cannot explain goes on, from where the line ends now.
  if (std::fabs(line.slope) > kTrendErrors * line.slope_error) {
    const double end = value + line.slope * (last_t - line.mean_t);
    const double onward = end + line.slope * last_t * kOnwardRenders;
    low = std::min(low, onward - noise);
    high = std::max(high, onward + noise);
  }
  verdict.low = std::max(0.0, low);
  verdict.high = high;
  // Still climbing or falling: nobody can say how far it goes.
  if (moving && verdict.trend > 0) verdict.high.reset();
  if (moving && verdict.trend < 0) verdict.low.reset();
  return verdict;
}

}  // namespace torva
