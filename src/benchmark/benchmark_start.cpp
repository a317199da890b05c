#include <cstring>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_steps.h"
#include "platform/cpu_info.h"
#include "platform/folders.h"

namespace torva {

// The benchmark folder comes with the installation; it is made here when
// missing so that the renderer 5 run, which brings its own scene, works.
Next CreateLog(BenchmarkRun& run) {
  MakeFolderIfMissing(run.paths.BenchDir);
  if (!run.log.Create(run.log_path)) {
    run.Fail(kBenchmarkErrorTitle, "The benchmark log " + run.log_path +
                                       " cannot be created.\nThe benchmark has not been run.");
    return Next::GiveUp();
  }
  BenchmarkRecord& record = run.record;
  record.bench_mode = run.mode;
  record.processor_brand = ProcessorBrand();
  record.logical_processors = LogicalProcessors();
  record.renderer_version = run.state.RendererVersion;
  record.scene = run.bench.scene;
  record.farm_seconds = run.farm.seconds;
  record.farm_sl = run.farm.sl;
  run.log.Write(MachineLine(record.processor_brand, record.logical_processors));
  run.log.Write(RendererLine(record.renderer_version));
  if (run.log.error() != 0) {
    run.Fail(kBenchmarkErrorTitle, "The benchmark log " + run.log_path +
                                       " cannot be written: " + std::strerror(run.log.error()) +
                                       ".\nThe benchmark has not been run.");
    return Next::GiveUp();
  }
  return Next::GoOn();
}

ExternalProcess LaunchRenderer(const BenchmarkRun& run, BenchmarkPhase phase) {
  const std::string& maxwell_dir = run.state.MaxwellDir;
  return run.runner.Launch(RendererExecutable(maxwell_dir),
                           BenchmarkArguments(phase, run.bench, run.paths.BenchDir), maxwell_dir);
}

void ReportBanner(BenchmarkRun& run) {
  // Without a window nobody clicks: the stop rule ends PHASE 1.
  if (run.options.phase1_stop_rule) {
    run.Report("PHASE 1 ends by itself once its estimations have settled.");
    run.Report("");
    run.Report(run.Gpu() ? "The TORVAmeter GPU benchmark is running... (PHASE 1)"
                         : "The TORVAmeter benchmark is currently running... (PHASE 1)");
    return;
  }
  if (run.Gpu()) {
    run.Report("<<           PLEASE WAIT FOR THE ESTIMATION TO          >>");
    run.Report("<<      STABILIZE BEFORE CLICKING ON THE 'BENCHMARK' BUTTON   >>");
    run.Report("");
    run.Report("The TORVAmeter GPU benchmark is running... (PHASE 1)");
  } else {
    run.Report("<<   CLICK ON THE 'BENCHMARK' BUTTON TO GO TO PHASE 2   >>");
    run.Report("<<          AFTER AT LEAST TWO ESTIMATIONS ARE DONE             >>");
    run.Report("");
    run.Report("The TORVAmeter benchmark is currently running... (PHASE 1)");
  }
}

}  // namespace torva
