#include "benchmark/benchmark_run.h"

#include "benchmark/benchmark_results.h"
#include "benchmark/benchmark_steps.h"
#include "desktop/buttons_disabled.h"
#include "platform/work_file.h"

namespace torva {
namespace {

// The steps of one run once its checks have passed: kGoOn once the result
// was shown, kGiveUp when it ended before.
Next RunSteps(BenchmarkRun& run) {
  if (!CreateLog(run).GoesOn()) return Next::GiveUp();
  ReportBanner(run);
  // The renderer's MXI (some 200 MB) serves no purpose once the run is over.
  const WorkFile mxi(run.InBenchDir(run.bench.mxi));
  SceneCopy scene(run);
  if (scene.failure()) {
    run.Fail(kBenchmarkErrorTitle, "The benchmark scene cannot be copied into " +
                                       run.paths.BenchDir + ": " + scene.failure().message() +
                                       ".\nThe benchmark has not been run.");
    return Next::GiveUp();
  }
  run.Report("Estimating the time needed to reach SL=20 at " + SizeText(run.bench.phase1_size) +
             "...");
  run.Report("");

  Next next = MeasureRatio(run);
  if (next.GoesOn()) next = MeasureDeltaSL(run);
  if (next.GoesOn()) next = CommitLog(run);
  if (!next.GoesOn()) {
    EndWithoutResults(run);
    SaveRecordAndPlot(run, false);
    return Next::GiveUp();
  }
  // The run is complete: a close request kept during the minute may now end it.
  if (run.close_requested && run.ConfirmQuit("the benchmark")) {
    SaveRecordAndPlot(run, true);
    run.outcome.ending = Outcome::Ending::kQuit;
    return Next::GiveUp();
  }
  ReportClosingLines(run);
  scene.Remove();
  ShowResult(run, SaveRecordAndPlot(run, true));
  return {};
}

// One run, from its checks to its result window.
Next RunOnce(Program& program, RenderMode mode, const BenchmarkOptions& options,
             BenchmarkOutcome& outcome) {
  BenchmarkRun run(program, mode, options);
  Next next = CheckReady(program, run);
  if (next.GoesOn()) {
    ButtonsDisabled greyed(program.desktop, kBenchmark);  // the stop button stays usable
    next = RunSteps(run);
  }
  outcome = std::move(run.outcome);
  return next;
}

}  // namespace

BenchmarkOutcome RunBenchmark(Program& program, const BenchmarkOptions& options) {
  if (!program.state.GpuCapable) return RunBenchmarkWithMode(program, RenderMode::kCpu, options);
  // No starts the GPU benchmark: a dismissed box starts nothing.
  const std::optional<bool> cpu = program.desktop.QuestionOrCancel(
      QuestionId::kBenchmarkMode, "TORVAmeter Benchmark",
      "Do you want to run the CPU benchmark?\nIf you answer 'No', the GPU benchmark will be run.");
  if (!cpu) {
    BenchmarkOutcome cancelled;
    cancelled.ending = Outcome::Ending::kCancelled;
    return cancelled;
  }
  return RunBenchmarkWithMode(program, *cpu ? RenderMode::kCpu : RenderMode::kGpu, options);
}

// The outcome is the first run's: the one asked for.
BenchmarkOutcome RunBenchmarkWithMode(Program& program, RenderMode bench_mode,
                                      const BenchmarkOptions& options) {
  BenchmarkOutcome first;
  for (RenderMode mode = bench_mode;; mode = RenderMode::kGpu) {
    program.state.BenchMode = mode;
    BenchmarkOutcome outcome;
    const Next run = RunOnce(program, mode, options, outcome);
    if (mode == bench_mode) first = std::move(outcome);
    if (run.kind == Next::kEndProgram) {
      EndProgramAfter(program.desktop, run, first);
      return first;
    }
    // At the end the GPU log is read back (so the GPU results are what it
    // shows), or, when it is missing, the GPU benchmark is offered.
    if (!run.GoesOn() || !program.state.GpuCapable ||
        !LoadResultsOrOfferBenchmark(program, RenderMode::kGpu))
      return first;
  }
}

}  // namespace torva
