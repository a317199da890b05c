#include "benchmark/benchmark_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "benchmark/farm_figures.h"
#include "platform/system_name.h"
#include "testing/scripted_session.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

TEST(BenchmarkLogTest, LinesHoldTheRoundedResults) {
  EXPECT_EQ(MachineLine("Intel(R) Xeon(R) CPU @ 2.20GHz", 8),
            std::string(SystemName()) + ", CPU: Intel(R) Xeon(R) CPU @ 2.20GHz - 8 threads");
  EXPECT_EQ(RendererLine("5.2.1.49"), "Maxwell Render 5.2.1.49");
  EXPECT_EQ(RatioLine(12.34f, RenderMode::kCpu),
            "The TORVA is 12.3 times faster (+/- 10%) than this system (with CPU-Low "
            "priority, 32 nodes V4).");
  EXPECT_EQ(RatioLine(2.0f, RenderMode::kGpu),
            "The TORVA is 2.0 times faster (+/- 10%) than this system (with GPU-Low "
            "priority, 14 nodes RTX).");
  EXPECT_EQ(DeltaSLLine(3.5f), "DeltaSL = 3.50");
  EXPECT_EQ(EquivalentSLLine(3.5f), "(SL=10 on this system <=> SL=13.50 (+/- 0.2) on the TORVA.");
  // 15.4 - 12.5 in single precision is just below 2.9.
  const float delta = 15.4f - 12.5f;
  EXPECT_EQ(DeltaSLLine(delta), "DeltaSL = 2.90");
  EXPECT_EQ(EquivalentSLLine(delta), "(SL=10 on this system <=> SL=12.90 (+/- 0.2) on the TORVA.");
  EXPECT_EQ(DeltaSLLine(-0.25f), "DeltaSL = -0.25");
}

TEST(BenchmarkLogTest, LinesGoBesideTheLogUntilTheRunHasWrittenThemAll) {
  TempFolder folder;
  const std::string path = folder.path() + "/TORVAmeter_Benchmark.log";
  const std::string earlier = "an older log\nwith more lines than the new one\n";
  WriteFile(path, earlier);
  ReplacingLog log;
  ASSERT_TRUE(log.Create(path));
  log.Write("Mac, CPU: X - 2 threads");
  log.Write("Maxwell Render 5.2.1.49");
  // Each line is on disk as it is written, and the earlier log is untouched.
  EXPECT_EQ(ReadFile(path + ".new"), "Mac, CPU: X - 2 threads\nMaxwell Render 5.2.1.49\n");
  EXPECT_EQ(ReadFile(path), earlier);

  log.Write(RatioLine(12.34f, RenderMode::kCpu));
  log.Write(DeltaSLLine(3.5f));
  log.Write(EquivalentSLLine(3.5f));
  ASSERT_TRUE(log.Commit());
  EXPECT_FALSE(fs::exists(path + ".new"));
  auto results = ReadBenchmarkLog(path);
  ASSERT_TRUE(results);
  EXPECT_FLOAT_EQ(results->speed_ratio, 12.3f);
  EXPECT_FLOAT_EQ(results->delta_sl, 3.5f);
  EXPECT_EQ(LoggedRendererVersion(path), "5.2.1.49");
}

TEST(BenchmarkLogTest, AnUnfinishedRunLeavesTheEarlierLogByteForByte) {
  TempFolder folder;
  const std::string path = folder.path() + "/TORVAmeter_Benchmark.log";
  const std::string earlier = "1\n2\nThe TORVA is 8.0 times faster\nDeltaSL = 1.00\n5\n";
  WriteFile(path, earlier);
  {
    ReplacingLog log;
    ASSERT_TRUE(log.Create(path));
    log.Write("Mac, CPU: X - 2 threads");
  }  // gone without a commit, as when the renderer gave nothing
  EXPECT_EQ(ReadFile(path), earlier);
  EXPECT_FALSE(fs::exists(path + ".new"));

  // A link planted under the temporary name is not written through.
  const std::string victim = folder.path() + "/victim";
  WriteFile(victim, "keep me");
  fs::create_symlink(victim, path + ".new");
  ReplacingLog log;
  ASSERT_TRUE(log.Create(path));
  log.Write("x");
  log.Discard();
  EXPECT_EQ(ReadFile(victim), "keep me");
  EXPECT_EQ(ReadFile(path), earlier);
}

TEST(BenchmarkLogTest, MissingAndMalformedLogs) {
  TempFolder folder;
  const std::string path = folder.path() + "/log";
  EXPECT_FALSE(ReadBenchmarkLog(path));
  EXPECT_FALSE(LoggedRendererVersion(path));
  EXPECT_FALSE(ReplacingLog().Create(folder.path() + "/no/such/folder/log"));

  WriteFile(path, "");
  EXPECT_FALSE(ReadBenchmarkLog(path));

  // Line 3 without " times" and line 4 without "= " give 0.
  WriteFile(path, "a\nMaxwell Render 4.2.0.3\nThe TORVA is 3.1 fold faster\nDeltaSL 2.50\n");
  auto results = ReadBenchmarkLog(path);
  ASSERT_TRUE(results);
  EXPECT_EQ(results->speed_ratio, 0);
  EXPECT_EQ(results->delta_sl, 0);
  EXPECT_EQ(LoggedRendererVersion(path), "4.2.0.3");

  // Numbers are read up to the first character that cannot continue them.
  WriteFile(path, "a\nb\nThe TORVA is 1.25x times faster\nDeltaSL = -0.75 or so\n");
  results = ReadBenchmarkLog(path);
  EXPECT_FLOAT_EQ(results->speed_ratio, 1.25f);
  EXPECT_FLOAT_EQ(results->delta_sl, -0.75f);
}

}  // namespace
}  // namespace torva
