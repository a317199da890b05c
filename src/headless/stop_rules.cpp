#include "headless/stop_rules.h"

#include <cstdint>
#include <vector>

#include "watch/settling.h"

namespace torva {
namespace {

bool PredictionsSettled(const std::vector<TimeLeftReading>& readings) {
  std::vector<std::int64_t> whole;
  for (const TimeLeftReading& reading : readings) whole.push_back(reading.WholeSeconds());
  return Settled(whole);
}

}  // namespace

StopRule BenchmarkStop(std::optional<int> estimates, double limit_seconds) {
  return [=](const std::vector<TimeLeftReading>& readings,
             double seconds) -> std::optional<std::string> {
    if (estimates) {
      if (readings.size() < static_cast<std::size_t>(*estimates)) return std::nullopt;
      return "estimate count";
    }
    if (PredictionsSettled(readings)) return "settle rule";
    if (seconds >= limit_seconds) return "time limit";
    return std::nullopt;
  };
}

StopRule EstimationStop(std::optional<double> seconds) {
  return [=](const std::vector<TimeLeftReading>& readings,
             double rendered) -> std::optional<std::string> {
    if (readings.empty()) return std::nullopt;
    if (seconds) {
      if (rendered < *seconds) return std::nullopt;
      return "time limit";
    }
    if (PredictionsSettled(readings)) return "settle rule";
    return std::nullopt;
  };
}

}  // namespace torva
