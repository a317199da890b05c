#include "watch/stop_rules.h"

namespace torva {
namespace {

bool PredictionsSettled(const std::vector<TimeLeftReading>& readings) {
  return JudgeSeries(WholePredictionsOf(readings)).settled;
}

}  // namespace

StopRule SettleStop() {
  return [](const std::vector<TimeLeftReading>& readings, double) -> std::optional<std::string> {
    if (PredictionsSettled(readings)) return "settle rule";
    return std::nullopt;
  };
}

StopRule BenchmarkStop(std::optional<int> estimates, double limit_seconds) {
  return [=](const std::vector<TimeLeftReading>& readings,
             double seconds) -> std::optional<std::string> {
    if (estimates && readings.size() >= static_cast<std::size_t>(*estimates))
      return "estimate count";
    if (!estimates && PredictionsSettled(readings)) return "settle rule";
    if (seconds >= limit_seconds) return "time limit";
    return std::nullopt;
  };
}

StopRule EstimationStop(std::optional<double> seconds, double limit_seconds) {
  return [=](const std::vector<TimeLeftReading>& readings,
             double rendered) -> std::optional<std::string> {
    if (seconds) {
      if (rendered < *seconds) return std::nullopt;
      return "time limit";
    }
    if (PredictionsSettled(readings)) return "settle rule";
    if (rendered >= limit_seconds) return "upper limit";
    return std::nullopt;
  };
}

}  // namespace torva
