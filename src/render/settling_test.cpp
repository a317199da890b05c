#include "render/settling.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(Settling, AnEarlyBiasedSeriesSettlesAndANoisyOneDoesNot) {
  // Early predictions far too high, then agreeing within a few per cent.
  const std::vector<std::int64_t> biased = {900, 780, 700, 650, 612, 605, 600, 598, 603, 601};
  EXPECT_TRUE(Settled(biased));
  EXPECT_EQ(SettledFrom(biased), 4u);  // 612 is within 5 % of the four after it, 650 is not
  const std::vector<std::int64_t> noisy = {600, 700, 560, 690, 610, 720, 580};
  EXPECT_FALSE(Settled(noisy));
  EXPECT_FALSE(SettledFrom(noisy));
  EXPECT_FALSE(Settled({600, 600, 600, 600}));  // too few to say
  EXPECT_EQ(SettledFrom({0, 0, 0, 0, 0}), 0u);
}

}  // namespace
}  // namespace torva
