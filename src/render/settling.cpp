#include "render/settling.h"

#include <algorithm>

namespace torva {

double SpreadOf(const std::vector<std::int64_t>& values, std::size_t first, std::size_t last) {
  if (first >= last || last > values.size()) return 0;
  const auto [low, high] = std::minmax_element(values.begin() + static_cast<std::ptrdiff_t>(first),
                                               values.begin() + static_cast<std::ptrdiff_t>(last));
  return *high == 0 ? 0 : static_cast<double>(*high - *low) / static_cast<double>(*high);
}

bool Settled(const std::vector<std::int64_t>& whole_seconds) {
  const std::size_t n = whole_seconds.size();
  return n >= kSettlingPredictions &&
         SpreadOf(whole_seconds, n - kSettlingPredictions, n) <= kSettledSpread;
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
