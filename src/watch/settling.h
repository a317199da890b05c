// When a progressive renderer's predictions of a whole render have settled.
// Early predictions lean one way and move towards the truth as the render
// converges; once several in a row agree and no longer drift, the rest add
// little. The rule asks only for agreement and the absence of drift, not for
// any model of how the predictions move, so it holds for any renderer whose
// predictions settle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace torva {

inline constexpr std::size_t kSettlingPredictions = 5;  // in a row ...
inline constexpr double kSettledSpread = 0.05;          // ... within 5 % of the largest,
inline constexpr double kSettledDrift = 0.02;  // and their mean within 2 % of the five before

// (max - min) / max of `values[first, last)`; 0 when they are all 0.
double SpreadOf(const std::vector<std::int64_t>& values, std::size_t first, std::size_t last);

// The last kSettlingPredictions values agree within kSettledSpread, and
// their mean is within kSettledDrift of the mean of the ones before them.
bool Settled(const std::vector<std::int64_t>& whole_seconds);

// The start of the settled predictions: the longest run at the end in which
// every kSettlingPredictions in a row agree. nullopt when the last ones do
// not agree (or there are too few).
std::optional<std::size_t> SettledFrom(const std::vector<std::int64_t>& whole_seconds);

}  // namespace torva
