#include "watch/settling.h"

#include <algorithm>
#include <cmath>

namespace torva {

double SpreadOf(const std::vector<std::int64_t>& values, std::size_t first, std::size_t last) {
  if (first >= last || last > values.size()) return 0;
  const auto [low, high] = std::minmax_element(values.begin() + static_cast<std::ptrdiff_t>(first),
                                               values.begin() + static_cast<std::ptrdiff_t>(last));
  return *high == 0 ? 0 : static_cast<double>(*high - *low) / static_cast<double>(*high);
}

namespace {

double MeanOf(const std::vector<std::int64_t>& values, std::size_t first, std::size_t last) {
  double sum = 0;
  for (std::size_t i = first; i < last; ++i) sum += static_cast<double>(values[i]);
  return sum / static_cast<double>(last - first);
}

}  // namespace

bool Settled(const std::vector<std::int64_t>& whole_seconds) {
  constexpr std::size_t k = kSettlingPredictions;
  const std::size_t n = whole_seconds.size();
  if (n < 2 * k || SpreadOf(whole_seconds, n - k, n) > kSettledSpread) return false;
  const double latest = MeanOf(whole_seconds, n - k, n),
               before = MeanOf(whole_seconds, n - 2 * k, n - k);
  return latest > 0 && std::abs(latest - before) / latest <= kSettledDrift;
}

std::optional<std::size_t> SettledFrom(const std::vector<std::int64_t>& whole_seconds) {
  if (!Settled(whole_seconds)) return std::nullopt;
  std::size_t from = whole_seconds.size() - kSettlingPredictions;
  while (from > 0 &&
         SpreadOf(whole_seconds, from - 1, from - 1 + kSettlingPredictions) <= kSettledSpread)
    --from;
  return from;
}

}  // namespace torva
