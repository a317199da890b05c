#include "watch/settling.h"

#include <gtest/gtest.h>

#include <cmath>

namespace torva {
namespace {

// One prediction every 3 s of render, of `truth` seconds off by `error(n)`.
template <typename Error>
std::vector<WholePrediction> Series(int count, double truth, Error error) {
  std::vector<WholePrediction> series;
  for (int n = 0; n < count; ++n) series.push_back({3.0 * (n + 1), truth * (1 + error(n))});
  return series;
}

TEST(Settling, AgreementWithoutTrendSettlesAndItsRangeHoldsTheTruth) {
  const auto wobble = [](int n) { return n % 2 ? 0.01 : -0.01; };
  const SeriesVerdict verdict = JudgeSeries(Series(50, 1000, wobble));
  EXPECT_TRUE(verdict.settled);
  EXPECT_EQ(verdict.first, 24u);  // from 75 s on, the latter half of the render
  ASSERT_TRUE(verdict.low && verdict.high);
  EXPECT_LT(*verdict.low, 1000);
  EXPECT_GT(*verdict.high, 1000);
  EXPECT_LT(*verdict.high - *verdict.low, 100);
}

TEST(Settling, ASlowDriftIsNotAgreementAndLeavesItsSideOpen) {
  // Converging by about 1 % a prediction from 40 % high: the last five agree
  // within 5 %, but the latter half still falls.
  const SeriesVerdict verdict =
      JudgeSeries(Series(40, 1000, [](int n) { return 0.4 * std::exp(-n / 40.0); }));
  EXPECT_FALSE(verdict.settled);
  EXPECT_LT(verdict.trend, -kMovingTrend);
  EXPECT_FALSE(verdict.low);  // it may fall much further
  ASSERT_TRUE(verdict.high);
  EXPECT_GT(*verdict.high, verdict.value);
}

TEST(Settling, TooFewOrNothingPredictedSaysNothing) {
  const SeriesVerdict few = JudgeSeries(Series(6, 1000, [](int) { return 0.0; }));
  EXPECT_FALSE(few.settled);
  EXPECT_FALSE(few.low || few.high);
  // Enough for a range, too few to settle: a few may agree by chance.
  const SeriesVerdict some = JudgeSeries(Series(30, 1000, [](int) { return 0.0; }));
  EXPECT_FALSE(some.settled);
  EXPECT_TRUE(some.low && some.high);
  EXPECT_FALSE(JudgeSeries(Series(30, 0, [](int) { return 0.0; })).settled);
  EXPECT_FALSE(JudgeSeries({}).settled);
}

}  // namespace
}  // namespace torva
