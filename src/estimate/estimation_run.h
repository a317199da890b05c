// The "Estimate project" command: renders a packed project on this computer
// and turns the renderer's predictions into the farm's time and price.
#pragma once

#include <optional>
#include <string>

#include "estimate/estimation_record.h"
#include "state/outcome.h"
#include "state/program.h"
#include "watch/watched_render.h"

namespace torva {

struct EstimationOptions {
  // A render that prints nothing for this long is stopped.
  int silence_limit_ms = kSilenceLimitMs;
  // Ends the render without a click (the runs without a window); none in the window.
  StopRule stop_rule;
};

// How an estimation ended, the record it kept and the files it wrote ("" for
// none). A render stopped by the user or a stop rule that was priced is
// finished; the record's ended_by says who stopped it.
struct EstimationOutcome : Outcome {
  std::optional<EstimationRecord> record;  // once the render has run
  std::string log, record_path, chart;
};

EstimationOutcome RunEstimation(Program& program, const EstimationOptions& options = {});

}  // namespace torva
