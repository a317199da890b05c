// The steps of one benchmark run over one shared struct, in the order the
// command runs them; each step that may end the run says whether to go on.
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "benchmark/benchmark_record.h"
#include "benchmark/benchmark_run.h"
#include "benchmark/farm_figures.h"
#include "picture/picture.h"
#include "platform/line_log.h"
#include "renderer/command_lines.h"
#include "renderer/process.h"
#include "state/command_run.h"
#include "state/next.h"
#include "state/program.h"

namespace torva {

inline constexpr const char* kBenchmarkErrorTitle = "TORVAmeter Benchmark Error";

// Why a run ends without results: for the record (`outcome`), and for the
// user unless they chose to quit.
struct Stop {
  std::string outcome;
  std::string why;
  std::string detail = {};  // a line more, below `why`
  bool quit = false;        // the user chose to quit: nothing is said

  static Stop Quit() { return {"stopped to quit", "", "", true}; }
};

// One benchmark run in one BenchMode: its case, its log and what it has read
// so far.
struct BenchmarkRun : CommandRun<BenchmarkOutcome, ReplacingLog> {
  BenchmarkRun(Program& program_, RenderMode mode_, const BenchmarkOptions& options_)
      : CommandRun(program_),
        mode(mode_),
        options(options_),
        log_path(BenchmarkLogFor(paths, mode)) {}

  std::string InBenchDir(const std::string& name) const { return paths.BenchDir + "/" + name; }
  bool Gpu() const { return mode == RenderMode::kGpu; }

  const RenderMode mode;
  const BenchmarkOptions& options;
  const std::string log_path;
  // Those of the renderer the checks found.
  BenchmarkCase bench;
  FarmFigures farm;
  BenchmarkRecord record;
  float delta_sl = 0;
  bool close_requested = false;  // during the minute that cannot be interrupted
  Stop stop;                     // why a step gave the run up

  // Gives the run up for `why`.
  Next StopFor(Stop why) {
    stop = std::move(why);
    return Next::GiveUp();
  }
};

// What may end the command before anything is changed: the renderer 5
// scene, the renderer check, an earlier log the user wants to keep. Once
// they pass, the case and the farm's figures of the renderer found.
// It probes the renderer, whose findings the program keeps: it is handed the
// program.
Next CheckReady(Program& program, BenchmarkRun& run);
// The log, created anew with its first two lines; gives up when it cannot be.
Next CreateLog(BenchmarkRun& run);
// The banner above PHASE 1.
void ReportBanner(BenchmarkRun& run);
// The renderer started on a phase of the run's case.
ExternalProcess LaunchRenderer(const BenchmarkRun& run, BenchmarkPhase phase);

// The renderer 5 scene and its light come from the renderer's own library
// for each run, and go again at its end, whichever way it ends. A scene
// missing from the library is not reported (the render then finds none); a
// copy that fails (a full disk) is.
class SceneCopy {
 public:
  explicit SceneCopy(const BenchmarkRun& run);
  ~SceneCopy() { Remove(); }
  SceneCopy(const SceneCopy&) = delete;
  SceneCopy& operator=(const SceneCopy&) = delete;

  // Why a copy failed; empty when all went well.
  const std::error_code& failure() const { return failure_; }
  void Remove();

 private:
  std::vector<std::string> copies_;
  std::error_code failure_;
};

// PHASE 1 and the speed ratio from its mean whole-render prediction.
Next MeasureRatio(BenchmarkRun& run);
// PHASE 2 and DeltaSL from the SL the minute reached, against the farm's.
Next MeasureDeltaSL(BenchmarkRun& run);
// The log's last lines, the new log in place of the earlier one, and the
// results the program holds.
Next CommitLog(BenchmarkRun& run);
// A run that ends without both results leaves the earlier log as it was, and
// the results as that log says ("not run" without one); says why (the run's
// stop), unless the user chose to quit.
void EndWithoutResults(BenchmarkRun& run);
// Beside the log: the record and the chart of the estimates, under names of
// their own when the run did not finish. The chart, when there is one.
std::optional<Picture> SaveRecordAndPlot(BenchmarkRun& run, bool finished);
// The closing lines of a run that measured both results.
void ReportClosingLines(BenchmarkRun& run);
// This system's one-minute picture beside the farm's, until closed.
void ShowResult(BenchmarkRun& run, std::optional<Picture> plot);

}  // namespace torva
