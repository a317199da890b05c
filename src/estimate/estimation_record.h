// What one estimation found, kept beside its log as JSON for other programs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture/time_chart.h"
#include "renderer/render_mode.h"
#include "state/program.h"
#include "text/json.h"
#include "watch/settling.h"

namespace torva {

struct Prediction {
  double elapsed_seconds = 0;  // render time on this computer when it came
  std::string sl_text;
  std::optional<double> sl;  // the level of `sl_text`
  std::string time_left_text;
  std::int64_t time_left_seconds = 0;
  std::string farm_time_text;  // the whole render (rendered + left) on the farm
  std::int64_t farm_seconds = 0;
  std::int64_t rendered_seconds = 0;  // as the renderer counts it, when it says
};

// How far apart the latest predictions are: when they agree, stopping gives a
// reliable price.
struct Settling {
  std::size_t count = 0;  // predictions looked at (the last few)
  std::int64_t min_farm_seconds = 0, max_farm_seconds = 0;
  std::int64_t rendered_from = 0, rendered_to = 0;  // render times they came at
  // (max - min) / max; 0 when every prediction was 0.
  double Spread() const;
};
// nullopt with fewer than two predictions.
std::optional<Settling> SettlingOf(const std::vector<Prediction>& predictions,
                                   std::size_t last = 5);

struct EstimationRecord {
  std::string archive;  // file name of the archive
  std::string scene;
  RenderMode mode = RenderMode::kCpu;
  int width = 0, height = 0;
  int target_sl = 0;
  std::string renderer_version;
  float speed_ratio = 0;
  RatioRange speed_ratio_range;  // as the benchmark left it
  bool stopped_by_user = false;
  // "user", a stop rule's reason, "render ended", "renderer crashed", "silence limit"
  std::string ended_by;
  std::string renderer_end;        // how the renderer's run ended
  int impossible_predictions = 0;  // left out: shorter than the render so far
  double render_seconds = 0;
  std::vector<Prediction> predictions;
  std::uintmax_t mxi_bytes = 0;
  long long mxi_size_mb = 0;
  long long mxi_size_limit_mb = 0;
  // "priced", "not priced" (no prediction came, or the render did not
  // finish), "renderer crashed", "mxi too big", "mxi not produced"
  std::string outcome;
  bool settled = false;  // the predictions the price comes from had settled
  // What the price comes from: "latest prediction", or "finished render" for a
  // render that ended before any prediction (its whole time is known).
  std::string price_from;
  double price_per_farm_hour = 0;
  std::optional<float> cost;
  // Where the farm time and the price likely lie; nullopt: open on that side.
  std::optional<double> farm_seconds_low, farm_seconds_high;
  std::optional<float> cost_low, cost_high;
};

// The record's fields in their order; its file holds JsonBlock of it.
JsonValue RecordJson(const EstimationRecord& record);
// Written to a temporary file and renamed into place; false on failure.
bool WriteRecord(const std::string& path, const EstimationRecord& record);

// How the farm time predicted at each estimate moved while the render went
// on (across: the render time the prediction adds its time left to), with
// the band of the latest few, so that users see whether they settled.
TimeChart PredictionsChart(const EstimationRecord& record);

}  // namespace torva
