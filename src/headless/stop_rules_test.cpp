#include "headless/stop_rules.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

using Panel = std::vector<std::string>;

std::string TimeLeftLine(int estimation) {
  return "Time left to reach SL=20 ->  1h 4m 58s (estimation " + std::to_string(estimation) +
         ") at SL=8.12";
}

TEST(StopRules, BenchmarkClicksAfterTheNthEstimationAndAgainOnlyAfterAnother) {
  ClickRule rule = BenchmarkStop(3);
  Panel panel = {"The TORVAmeter benchmark is currently running... (PHASE 1)", "", TimeLeftLine(1),
                 TimeLeftLine(2)};
  EXPECT_EQ(rule(panel), std::nullopt);
  panel.push_back(TimeLeftLine(3));
  EXPECT_EQ(rule(panel), kBenchmark);
  EXPECT_EQ(rule(panel), std::nullopt);  // one click per estimation
  panel.push_back("At least two estimations are needed before you can stop the simulation...");
  EXPECT_EQ(rule(panel), std::nullopt);
  panel.push_back(TimeLeftLine(4));
  EXPECT_EQ(rule(panel), kBenchmark);
}

std::string EstimateLine(const std::string& farm) {
  return "Est. at SL=10.26. Elapsed 0h 0m 30s -->  " + farm + " (TORVA) - 0h 7m 27s (your system)";
}

TEST(StopRules, EstimationStopsAfterTheSecondsOfRenderingOnceAPredictionCame) {
  double now = 100;
  ClickRule rule = EstimationStop(5.0, [&] { return now; });
  Panel panel = {"TORVAmeter is uncompressing the project, please wait..."};
  EXPECT_EQ(rule(panel), std::nullopt);
  now = 110;  // unpacking does not count
  panel.push_back("Simulation is running for project \"Kitchen.mxs\", please wait...");
  EXPECT_EQ(rule(panel), std::nullopt);  // the render starts now
  now = 116;
  EXPECT_EQ(rule(panel), std::nullopt);  // no prediction yet
  panel.push_back(EstimateLine("0h0m59s"));
  EXPECT_EQ(rule(panel), kEstimateProject);
  EXPECT_EQ(rule(panel), std::nullopt);

  ClickRule early = EstimationStop(5.0, [&] { return now; });
  EXPECT_EQ(early(panel), std::nullopt);  // the clock starts when the rule first sees the render
  now = 121;
  EXPECT_EQ(early(panel), kEstimateProject);
}

TEST(StopRules, EstimationWithoutSecondsWaitsForFiveAgreeingPredictions) {
  ClickRule rule = EstimationStop(std::nullopt, [] { return 0.0; });
  Panel panel = {"Simulation is running for project \"K.mxs\", please wait..."};
  // The first of the last five is 20% off; then five within 5% (100 s against 96 s).
  for (const char* farm : {"0h1m20s", "0h1m40s", "0h1m40s", "0h1m38s", "0h1m36s"})
    panel.push_back(EstimateLine(farm));
  EXPECT_EQ(rule(panel), std::nullopt);
  panel.push_back(EstimateLine("0h1m39s"));
  EXPECT_EQ(rule(panel), kEstimateProject);
  // A farm time the parser cannot read counts as 0, which is far from settled.
  panel.push_back(EstimateLine("soon"));
  EXPECT_EQ(rule(panel), std::nullopt);
}

}  // namespace
}  // namespace torva
