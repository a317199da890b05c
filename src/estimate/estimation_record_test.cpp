#include "estimate/estimation_record.h"

#include <gtest/gtest.h>

#include "picture/picture.h"
#include "testing/scripted_session.h"

namespace torva {
namespace {

EstimationRecord SampleRecord() {
  EstimationRecord r;
  r.archive = "Kit\"chen\n.vum";
  r.scene = "Kitchen.mxs";
  r.width = 1920;
  r.height = 1080;
  r.target_sl = 20;
  r.speed_ratio = 12.5f;
  r.predictions = {{2.5, "12.00", 12.0, "2h 10m 0s", 7800, "0h10m26s", 626, 30},
                   {5.25, "14.21", 14.21, "2h 5m 0s", 7500, "0h10m3s", 603, 40}};
  r.mxi_bytes = 20480ull * 1048576 + 1048575;
  r.mxi_size_mb = 20480;
  r.mxi_size_limit_mb = 20480;
  r.outcome = "priced";
  r.price_per_farm_hour = 7188 * static_cast<double>(0.015f);
  r.cost = 17.97f;
  return r;
}

TEST(EstimationRecord, JsonHoldsEveryPredictionAndFullPrecision) {
  const std::string json = JsonBlock(RecordJson(SampleRecord()));
  EXPECT_NE(json.find("\"archive\": \"Kit\\\"chen\\n.vum\""), std::string::npos) << json;
  EXPECT_NE(json.find("{\"elapsed_seconds\": 2.5, \"sl\": 12, \"sl_text\": \"12.00\", "
                      "\"time_left\": \"2h 10m 0s\", "
                      "\"time_left_seconds\": 7800, \"rendered_seconds\": 30, "
                      "\"farm_time\": \"0h10m26s\", \"farm_seconds\": 626},\n"),
            std::string::npos);
  EXPECT_NE(json.find("\"mxi_bytes\": 21475885055,"), std::string::npos);
  // The last predictions' spread: 603 to 626 s.
  EXPECT_NE(json.find("\"settling\": {\"last_predictions\": 2, \"min_farm_seconds\": 603, "
                      "\"max_farm_seconds\": 626, \"spread\": 0.036741214057507986},"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"speed_ratio\": 12.5,"), std::string::npos);
  // Money with two decimals, as the log writes it.
  EXPECT_NE(json.find("\"cost_eur\": 17.97,\n  \"cost_low_eur\": null,"), std::string::npos)
      << json;
  EXPECT_NE(json.find("\"price_per_farm_hour_eur\": 107.82,"), std::string::npos);

  EstimationRecord unpriced = SampleRecord();
  unpriced.cost.reset();
  unpriced.predictions.clear();
  const std::string none = JsonBlock(RecordJson(unpriced));
  EXPECT_NE(none.find("\"predictions\": [],\n"), std::string::npos);
  EXPECT_NE(none.find("\"cost_eur\": null,\n"), std::string::npos);
}

TEST(PredictionsChart, PlotsFarmTimeAgainstRenderTimeWithTheSettlingBand) {
  const EstimationRecord record = SampleRecord();
  const TimeChart chart = PredictionsChart(record);
  ASSERT_EQ(chart.points.size(), record.predictions.size());
  EXPECT_EQ(chart.points.front().x, record.predictions.front().rendered_seconds);
  EXPECT_EQ(chart.points.back().y, record.predictions.back().farm_seconds);
  EXPECT_EQ(chart.latest_label,
            "Latest: " + record.predictions.back().farm_time_text + " on the TORVA");
  ASSERT_TRUE(chart.band);
  EXPECT_EQ(chart.band->y_min, 603);
  EXPECT_EQ(chart.band->y_max, 626);
  EXPECT_EQ(chart.band->label, "Last 2 predictions within 3.7 %");

  EstimationRecord none = SampleRecord();
  none.predictions.clear();
  EXPECT_TRUE(PredictionsChart(none).points.empty());
  EXPECT_FALSE(PredictionsChart(none).band);
}

}  // namespace
}  // namespace torva
