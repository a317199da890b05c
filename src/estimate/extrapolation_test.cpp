#include "estimate/extrapolation.h"

#include <gtest/gtest.h>

#include "text/time_text.h"

namespace torva {
namespace {

const FarmPrice kCpu{7188, 0.015f};

TEST(Extrapolation, WorkedExampleGivesTenFarmMinutesAnd1797Euros) {
  const std::string farm = ScaleSeconds(7500, 12.5f);
  EXPECT_EQ(EstimateLine("14.21", farm, "2h 5m 0s"),
            "Est. at SL=14.21 -->  0h10m0s (TORVA) - 2h 5m 0s (your system)");
  EXPECT_EQ(CostText(FarmCost(farm, kCpu)), "17.97");
  EXPECT_EQ(CostText(FarmCost("1h0m0s", kCpu)), "107.82");
  EXPECT_EQ(CostText(FarmCost("", kCpu)), "0.00");
  EXPECT_EQ(CostText(FarmCost("1h0m0s", FarmPrice{14, 6})), "84.00");
}

TEST(Extrapolation, CostIsKeptInSinglePrecision) {
  // 600 s at 107.82 EUR an hour, computed in double, then stored as a float.
  EXPECT_EQ(FarmCost("0h10m0s", kCpu), static_cast<float>(600 / 3600.0 * 7188 * 0.015f));
  // 700 s: 20.964999... in double, 20.965000... as a float.
  EXPECT_EQ(CostText(FarmCost("0h11m40s", kCpu)), "20.97");
}

TEST(Extrapolation, MxiSizeInWholeMiBAgainstTheLimit) {
  constexpr std::uintmax_t kMiB = 1048576;
  EXPECT_EQ(WholeMiB(kMiB - 1), 0);
  EXPECT_EQ(WholeMiB(20480 * kMiB + kMiB - 1), 20480);
  EXPECT_EQ(JudgeMxi(WholeMiB(20480 * kMiB + kMiB - 1), 20480), MxiVerdict::kAccepted);
  EXPECT_EQ(JudgeMxi(WholeMiB(20481 * kMiB), 20480), MxiVerdict::kTooBig);
  EXPECT_EQ(JudgeMxi(WholeMiB(kMiB - 1), 20480), MxiVerdict::kNotProduced);
  EXPECT_EQ(JudgeMxi(1, 20480), MxiVerdict::kAccepted);
  EXPECT_EQ(JudgeMxi(0, 0), MxiVerdict::kNotProduced);
  EXPECT_EQ(JudgeMxi(1, 0), MxiVerdict::kTooBig);
}

TEST(Extrapolation, EvaluationTexts) {
  EXPECT_EQ(TooBigLines("20481.00 MB", 20480)[0],
            "WARNING: the MXI size (20481.00 MB) is too big!");
  EXPECT_EQ(TooBigLines("20481.00 MB", 20480)[1],
            "The MXI size limit accepted by the TORVA is 20480 MB.");
  EXPECT_EQ(
      TooBigMessage(20481, 20480),
      "The project MXI size (~ 20481 MB) exceeds the limit accepted by the TORVA (20480 MB).");
  EXPECT_EQ(CostPanelLines("17.97", RenderMode::kCpu),
            (std::vector<std::string>{"Estimated cost for this project (without merging):", "",
                                      "            17.97 EUR (With CPU-Low priority)",
                                      "            ...or less with volume discounts!", "",
                                      "The merging time will be added to the total cost",
                                      "(1 to 20 mininutes depending on MXI size)."}));
  EXPECT_EQ(CostLogLines("84.00", RenderMode::kGpu),
            (std::vector<std::string>{"Estimated cost for this project (not including merging):",
                                      "            84.00 EUR (With GPU-Low priority)",
                                      "            ...or less with volume discounts!"}));
}

}  // namespace
}  // namespace torva
