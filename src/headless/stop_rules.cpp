#include "headless/stop_rules.h"

#include <string>
#include <vector>

#include "estimate/estimation_record.h"
#include "text/text.h"
#include "text/time_text.h"

namespace torva {
namespace {

// The panel lines that start with `start`.
std::vector<const std::string*> LinesStarting(const std::vector<std::string>& panel,
                                              const std::string& start) {
  std::vector<const std::string*> found;
  for (const std::string& line : panel) {
    if (line.starts_with(start)) found.push_back(&line);
  }
  return found;
}

// Clicks `gadget` while `due` says so, once per count of readings: a click
// the command refuses is given again only after the next reading.
ClickRule ClickOncePerReading(
    int gadget, std::function<std::optional<std::size_t>(const std::vector<std::string>&)> due) {
  return [gadget, due = std::move(due), clicked_at = std::size_t{0}](
             const std::vector<std::string>& panel) mutable -> std::optional<int> {
    const std::optional<std::size_t> readings = due(panel);
    if (!readings || *readings <= clicked_at) return std::nullopt;
    clicked_at = *readings;
    return gadget;
  };
}

}  // namespace

ClickRule BenchmarkStop(int estimates) {
  return ClickOncePerReading(
      kBenchmark, [estimates](const std::vector<std::string>& panel) -> std::optional<std::size_t> {
        const std::size_t count = LinesStarting(panel, "Time left to reach SL=").size();
        if (count < static_cast<std::size_t>(estimates)) return std::nullopt;
        return count;
      });
}

ClickRule EstimationStop(std::optional<double> seconds, std::function<double()> now) {
  std::optional<double> started;
  return ClickOncePerReading(
      kEstimateProject,
      [seconds, now = std::move(now),
       started](const std::vector<std::string>& panel) mutable -> std::optional<std::size_t> {
        if (!started && !LinesStarting(panel, "Simulation is running for project").empty())
          started = now();
        std::vector<Prediction> predictions;
        for (const std::string* line : LinesStarting(panel, "Est. at SL=")) {
          Prediction prediction;
          prediction.farm_time_text = TextBefore(TextAfter(*line, "-->  "), " (TORVA)");
          prediction.farm_seconds = ParseTimeText(prediction.farm_time_text);
          predictions.push_back(prediction);
        }
        if (!started || predictions.empty()) return std::nullopt;
        if (seconds) {
          if (now() - *started < *seconds) return std::nullopt;
          return predictions.size();
        }
        const std::optional<Settling> settling = SettlingOf(predictions);
        if (!settling || settling->count < kSettlingPredictions ||
            settling->Spread() > kSettledSpread)
          return std::nullopt;
        return predictions.size();
      });
}

}  // namespace torva
