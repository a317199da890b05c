#include "headless/stop_rules.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

// Predictions of `whole` seconds in all, made 15 s apart.
std::vector<TimeLeftReading> Predictions(const std::vector<std::int64_t>& whole) {
  std::vector<TimeLeftReading> readings;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    TimeLeftReading reading;
    reading.rendered_seconds = 15 * static_cast<std::int64_t>(i + 1);
    reading.time_left_seconds = whole[i] - reading.rendered_seconds;
    readings.push_back(reading);
  }
  return readings;
}

TEST(StopRules, TheBenchmarkStopsAtItsCountOrOnceSettledOrAtItsLimit) {
  const StopRule three = BenchmarkStop(3);
  EXPECT_EQ(three(Predictions({900, 800}), 30), std::nullopt);
  EXPECT_EQ(three(Predictions({900, 800, 700}), 45), "estimate count");

  const StopRule settle = BenchmarkStop(std::nullopt, 180);
  EXPECT_EQ(settle(Predictions({900, 800, 700, 650, 612, 605}), 90), std::nullopt);
  EXPECT_EQ(settle(Predictions(
                       {900, 800, 700, 650, 612, 605, 600, 598, 603, 601, 599, 602, 600, 597, 601}),
                   225),
            "settle rule");
  EXPECT_EQ(settle(Predictions({600, 700, 560, 690, 610, 720}), 180), "time limit");
}

TEST(StopRules, TheEstimationStopsAfterItsSecondsOnceAPredictionCameOrOnceSettled) {
  const StopRule five = EstimationStop(5.0);
  EXPECT_EQ(five({}, 60), std::nullopt);
  EXPECT_EQ(five(Predictions({100}), 4.9), std::nullopt);
  EXPECT_EQ(five(Predictions({100}), 5), "time limit");

  const StopRule settle = EstimationStop(std::nullopt);
  // Ten that agree settle; with the first 20 % off, the five before the
  // last still drift.
  EXPECT_EQ(settle(Predictions({80, 100, 100, 98, 96, 99, 100, 97, 98, 99}), 150), std::nullopt);
  EXPECT_EQ(settle(Predictions({100, 100, 98, 96, 99, 100, 97, 98, 99, 100}), 150), "settle rule");
}

}  // namespace
}  // namespace torva
