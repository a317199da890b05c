#include "watch/stop_rules.h"

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

// Forty predictions that agree within 1 %, after three far off.
std::vector<std::int64_t> Settling() {
  std::vector<std::int64_t> whole = {900, 800, 700};
  for (int i = 0; i < 40; ++i) whole.push_back(i % 2 ? 603 : 597);
  return whole;
}

TEST(StopRules, TheBenchmarkStopsAtItsCountOrOnceSettledOrAtItsLimitWhateverCame) {
  const StopRule three = BenchmarkStop(3);
  EXPECT_EQ(three(Predictions({900, 800}), 30), std::nullopt);
  EXPECT_EQ(three(Predictions({900, 800, 700}), 45), "estimate count");

  const StopRule settle = BenchmarkStop(std::nullopt, 180);
  EXPECT_EQ(settle(Predictions({900, 800, 700, 650, 612, 605}), 90), std::nullopt);
  EXPECT_EQ(settle(Predictions(Settling()), 170), "settle rule");  // before its limit
  // A renderer that never predicts is stopped all the same.
  EXPECT_EQ(settle({}, 180), "time limit");
  EXPECT_EQ(three({}, 180), "time limit");
}

TEST(StopRules, TheEstimationStopsAfterItsSecondsFromTheStartOrOnceSettledOrAtItsLimit) {
  const StopRule five = EstimationStop(5.0);
  EXPECT_EQ(five({}, 4.9), std::nullopt);
  EXPECT_EQ(five({}, 5), "time limit");
  EXPECT_EQ(five(Predictions(Settling()), 4.9), std::nullopt);

  const StopRule settle = EstimationStop(std::nullopt, 300);
  // Ten in a row within 4 % that still fall by 1 % a prediction do not settle.
  EXPECT_EQ(settle(Predictions({140, 135, 130, 126, 122, 118, 115, 112, 109, 106,
                                103, 100, 99,  98,  97,  96,  95,  94,  93,  92}),
                   290),
            std::nullopt);
  EXPECT_EQ(settle(Predictions(Settling()), 290), "settle rule");
  EXPECT_EQ(settle(Predictions({600, 700, 560, 690}), 300), "upper limit");
}

}  // namespace
}  // namespace torva
