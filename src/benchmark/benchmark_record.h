// A machine-readable record of one benchmark run, written beside its
// five-line log: every reading at full precision. Read back only for the full
// precision of the ratio its own log rounds (ResultsWithRecord).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "picture/time_chart.h"
#include "renderer/render_mode.h"
#include "state/program.h"
#include "text/json.h"

namespace torva {

struct Phase1Reading {
  double elapsed_seconds = 0;      // since PHASE 1 started
  long long seconds = 0;           // the renderer's estimate of the time left to SL 20
  std::string time_text;           // as the renderer wrote it
  std::string sl_text;             // the SL line shown with it
  std::optional<double> sl;        // its sampling level
  long long rendered_seconds = 0;  // render time when the estimate came
  // The whole render time to SL 20 it predicts: rendered + left.
  long long WholeSeconds() const { return rendered_seconds + seconds; }
};

struct SamplingLevelReading {
  double elapsed_seconds = 0;  // since PHASE 2 started
  float sampling_level = 0;
};

struct BenchmarkRecord {
  RenderMode bench_mode = RenderMode::kCpu;
  std::string processor_brand;
  int logical_processors = 0;
  std::string renderer_version;
  std::string scene;
  int farm_seconds = 0;
  float farm_sl = 0;
  std::vector<Phase1Reading> estimates;
  std::string phase1_ended_by;      // "user", a stop rule's reason, "render ended", ...
  std::string phase1_renderer_end;  // how the renderer's run ended
  int impossible_estimates = 0;     // left out: shorter than the render so far
  // The mean comes from the estimates from this index on (the latter half of
  // PHASE 1); whether they had settled, how far apart they are and how they
  // still moved.
  std::size_t ratio_from = 0;
  bool settled = false;
  double spread = 0;
  double trend = 0;
  std::optional<long long> mean_seconds;
  std::optional<float> speed_ratio;
  RatioRange speed_ratio_range;  // where the true ratio likely lies
  std::vector<SamplingLevelReading> sampling_levels;
  std::optional<float> delta_sl;
  // The SL difference as measured, when it would have read back as 0.00 and
  // the log holds the smallest difference of its sign instead.
  std::optional<float> measured_delta_sl;
  std::string outcome;  // "finished", or what ended the run early
  std::string phase2_renderer_end;
};

// The record's fields in their order; its file holds JsonBlock of it.
JsonValue RecordJson(const BenchmarkRecord& record);

// The record's file and the plot's beside `log_path`: ".log" becomes ".json"
// and ".png". A run that did not finish keeps its own under names of their
// own (".unfinished.json", ".unfinished.png"), so that the record and the
// plot beside the log always describe the run the log holds.
std::string RecordPathFor(const std::string& log_path, bool finished = true);
std::string PlotPathFor(const std::string& log_path, bool finished = true);

// The results of the log at `log_path` (`logged`, as read from its text) at
// the record's full precision, with the ratio's range, when the record beside
// it comes from the same run: a finished run of `renderer_version` whose
// figures the log shows. Else `logged`, whose ratio the log says is right
// within 10 %.
BenchmarkResults ResultsWithRecord(const std::string& log_path, const BenchmarkResults& logged,
                                   const std::string& renderer_version);

// Written whole (through a temporary file); false when it cannot be.
bool WriteRecord(const std::string& path, const BenchmarkRecord& record);

// The PHASE 1 estimates as a small chart: the whole render each predicts
// against the time it came, with their mean.
inline constexpr int kPlotWidth = 480, kPlotHeight = 300;
TimeChart EstimatesChart(const BenchmarkRecord& record);

}  // namespace torva
