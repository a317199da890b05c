#include "benchmark/benchmark_record.h"

#include <gtest/gtest.h>

#include <cmath>

#include "testing/scripted_session.h"

namespace torva {
namespace {

BenchmarkRecord ThreeEstimates() {
  BenchmarkRecord record;
  record.processor_brand = "CPU \"quoted\" \\ name";
  record.logical_processors = 8;
  record.renderer_version = "5.2.1.49";
  record.scene = "Bottles_on_a_window.mxs";
  record.farm_seconds = 481;
  record.farm_sl = 15.4f;
  record.estimates = {{1.25, 600, "0h 10m 0s", "6.50. Elapsed 0h 0m 15s", 6.5, 0},
                      {2.5, 601, "0h 10m 1s", "8.12\tx", 8.12, 30},
                      {3.75, 602, "0h 10m 2s", "9.00", 9.0, 0}};
  record.mean_seconds = 601;
  record.speed_ratio = 601.0f / 481.0f;
  record.sampling_levels = {{0.5, 6.5f}, {1.0, 12.5f}};
  record.delta_sl = 15.4f - 12.5f;
  record.outcome = "finished";
  return record;
}

TEST(BenchmarkRecordTest, HoldsEveryReadingAtFullPrecision) {
  const std::string json = JsonBlock(RecordJson(ThreeEstimates()));
  EXPECT_NE(json.find("\"processor\": \"CPU \\\"quoted\\\" \\\\ name\""), std::string::npos);
  EXPECT_NE(
      json.find("{\"elapsed_seconds\": 2.5, \"estimate_seconds\": 601, \"time_left\": "
                "\"0h 10m 1s\", \"sl\": 8.12, \"sl_text\": \"8.12\\tx\", \"rendered_seconds\": 30, "
                "\"whole_render_seconds\": 631}"),
      std::string::npos)
      << json;
  // The shortest texts that read back as the same single-precision values.
  EXPECT_NE(json.find("\"speed_ratio\": 1.2494802,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"delta_sl\": 2.8999996,"), std::string::npos) << json;
  EXPECT_NE(json.find("{\"elapsed_seconds\": 1, \"sl\": 12.5}"), std::string::npos);
  EXPECT_EQ(std::stof("1.2494802"), 601.0f / 481.0f);

  BenchmarkRecord none;
  none.speed_ratio = std::nanf("");
  none.outcome = "no estimate";
  const std::string empty = JsonBlock(RecordJson(none));
  // Without a mean nothing says where a ratio came from.
  EXPECT_NE(empty.find("\"phase1_estimates\": [],\n  \"phase1_ended_by\": \"\",\n  "
                       "\"phase1_renderer_end\": \"\",\n  \"impossible_estimates\": 0,\n  "
                       "\"settled\": false,\n  \"spread\": 0,\n  \"trend\": 0,\n  "
                       "\"mean_seconds\": null,\n  \"speed_ratio\": null,\n  "
                       "\"speed_ratio_low\": null,\n  \"speed_ratio_high\": null,\n  "
                       "\"phase2_sl_readings\": [],"),
            std::string::npos)
      << empty;
}

TEST(BenchmarkRecordTest, FilesLieBesideTheLogAndAreWrittenWhole) {
  EXPECT_EQ(RecordPathFor("/a/benchmark/TORVAmeter_BenchmarkGPU.log"),
            "/a/benchmark/TORVAmeter_BenchmarkGPU.json");
  EXPECT_EQ(PlotPathFor("/a/benchmark/TORVAmeter_Benchmark.log"),
            "/a/benchmark/TORVAmeter_Benchmark.png");
  TempFolder folder;
  const std::string path = folder.path() + "/r.json";
  ASSERT_TRUE(WriteRecord(path, ThreeEstimates()));
  EXPECT_EQ(ReadFile(path), JsonBlock(RecordJson(ThreeEstimates())));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  EXPECT_FALSE(WriteRecord(folder.path() + "/missing/r.json", ThreeEstimates()));
}

TEST(EstimatesChartTest, PlotsEachWholeRenderPredictionWithTheMean) {
  const BenchmarkRecord record = ThreeEstimates();
  const TimeChart chart = EstimatesChart(record);
  EXPECT_EQ(chart.width, kPlotWidth);
  ASSERT_EQ(chart.points.size(), record.estimates.size());
  for (std::size_t i = 0; i < chart.points.size(); ++i) {
    EXPECT_EQ(chart.points[i].x, record.estimates[i].elapsed_seconds);
    EXPECT_EQ(chart.points[i].y, record.estimates[i].WholeSeconds());
  }
  ASSERT_TRUE(chart.mean_y);
  EXPECT_EQ(*chart.mean_y, *record.mean_seconds);
  EXPECT_FALSE(EstimatesChart(BenchmarkRecord{}).mean_y);
}

// The ratio read back at the record's full precision only when the record
// holds what the log shows; else the log's figures, right within 10 %.
TEST(BenchmarkRecordTest, TheFullRatioComesFromTheRecordOfTheSameRunOnly) {
  TempFolder folder;
  const std::string log = folder.path() + "/TORVAmeter_Benchmark.log";
  BenchmarkRecord record = ThreeEstimates();
  record.speed_ratio_range = {1.2f, 1.3f};
  ASSERT_TRUE(WriteRecord(RecordPathFor(log), record));
  const BenchmarkResults logged{1.2f, 2.9f, {}};
  const BenchmarkResults same = ResultsWithRecord(log, logged, "5.2.1.49");
  EXPECT_EQ(same.speed_ratio, 601.0f / 481.0f);
  EXPECT_EQ(same.delta_sl, 15.4f - 12.5f);
  EXPECT_EQ(same.range.high, 1.3f);
  for (const auto& [other, version] :
       {std::pair{BenchmarkResults{1.3f, 2.9f, {}}, "5.2.1.49"}, std::pair{logged, "5.2.1.50"}}) {
    const BenchmarkResults from_log = ResultsWithRecord(log, other, version);
    EXPECT_EQ(from_log.speed_ratio, other.speed_ratio);
    EXPECT_EQ(from_log.range.low, other.speed_ratio * 0.9f);
  }
}

}  // namespace
}  // namespace torva
