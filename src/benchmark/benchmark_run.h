// The "Benchmark" command: this computer against the farm, on the CPU or,
// with renderer 5, on the GPU.
#pragma once

#include <optional>
#include <string>

#include "benchmark/benchmark_record.h"

#include "state/outcome.h"
#include "state/program.h"
#include "watch/watched_render.h"

namespace torva {

struct BenchmarkOptions {
  // A one-minute render that has not ended after this is killed.
  int phase2_limit_ms = 5 * 60 * 1000;
  // PHASE 1 is stopped when the renderer prints nothing for this long.
  int silence_limit_ms = kSilenceLimitMs;
  // Ends PHASE 1 without a click (the runs without a window); none in the window.
  StopRule phase1_stop_rule;
};

// How a benchmark ended, the record it kept and the files it wrote ("" for
// none). The record's phase1_ended_by says who ended PHASE 1.
struct BenchmarkOutcome : Outcome {
  std::optional<BenchmarkRecord> record;  // once PHASE 1 has started
  std::string log, record_path, chart;
};

// The "Benchmark" button: asks CPU or GPU when the renderer can do both.
BenchmarkOutcome RunBenchmark(Program& program, const BenchmarkOptions& options = {});

// The run with BenchMode already chosen (start-up offers, the GPU prompt).
BenchmarkOutcome RunBenchmarkWithMode(Program& program, RenderMode bench_mode,
                                      const BenchmarkOptions& options = {});

}  // namespace torva
