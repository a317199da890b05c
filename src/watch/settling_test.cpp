#include "watch/settling.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(Settling, AnEarlyBiasedSeriesSettlesAndANoisyOrDriftingOneDoesNot) {
  // Early predictions far too high, then agreeing within a few per cent.
  std::vector<std::int64_t> biased = {900, 780, 700, 650, 612, 605, 600, 598, 603, 601};
  EXPECT_FALSE(Settled(biased));  // the five before still drift
  biased.insert(biased.end(), {599, 602, 600, 597, 601});
  EXPECT_TRUE(Settled(biased));
  EXPECT_EQ(SettledFrom(biased), 4u);  // 612 is within 5 % of the four after it, 650 is not
  // Neighbours within 5 % that all slide one way have not settled.
  EXPECT_FALSE(Settled({700, 690, 680, 670, 660, 650, 640, 630, 620, 610}));
  const std::vector<std::int64_t> noisy = {600, 700, 560, 690, 610, 720, 580};
  EXPECT_FALSE(Settled(noisy));
  EXPECT_FALSE(SettledFrom(noisy));
  EXPECT_FALSE(Settled({600, 600, 600, 600}));              // too few to say
  EXPECT_FALSE(Settled(std::vector<std::int64_t>(10, 0)));  // nothing predicted
}

}  // namespace
}  // namespace torva
