// What one estimation found, kept beside its log as JSON for other programs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "estimate/estimate_mode.h"

namespace torva {

struct Prediction {
  double elapsed_seconds = 0;  // render time on this computer when it came
  std::string sl_text;
  std::string time_left_text;
  std::int32_t time_left_seconds = 0;
  std::string farm_time_text;
  std::int32_t farm_seconds = 0;
};

struct EstimationRecord {
  std::string archive;  // file name of the archive
  std::string scene;
  EstimateMode mode = EstimateMode::kCpu;
  int width = 0, height = 0;
  int target_sl = 0;
  std::string renderer_version;
  float speed_ratio = 0;
  bool stopped_by_user = false;
  double render_seconds = 0;
  std::vector<Prediction> predictions;
  std::uintmax_t mxi_bytes = 0;
  long long mxi_size_mb = 0;
  long long mxi_size_limit_mb = 0;
  std::string outcome;  // "priced", "mxi too big", "mxi not produced"
  double price_per_farm_hour = 0;
  std::optional<float> cost;
};

std::string RecordJson(const EstimationRecord& record);
// Written to a temporary file and renamed into place; false on failure.
bool WriteRecord(const EstimationRecord& record, const std::string& path);

}  // namespace torva
