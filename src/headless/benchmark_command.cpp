// benchmark: the window's "Benchmark" with the answers of the command line.
#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_record.h"
#include "benchmark/benchmark_run.h"
#include "benchmark/farm_figures.h"
#include "headless/command_runs.h"
#include "headless/stop_rules.h"
#include "platform/file_stamp.h"

namespace torva {

HeadlessOutcome RunHeadlessBenchmark(const HeadlessCommand& command, Program& program,
                                     HeadlessDesktop& desktop) {
  if (command.gpu && !program.state.GpuCapable) {
    return {"Maxwell Render " + program.state.RendererVersion + " cannot render on the GPU",
            std::nullopt};
  }
  const RenderMode mode = command.gpu ? RenderMode::kGpu : RenderMode::kCpu;
  desktop.AddReply({.title = BenchmarkTitle(mode),
                    .text = "The benchmark has already been run.",
                    .answer = "yes",
                    .argument = "benchmark"});
  // After the CPU benchmark the GPU one is offered when its log is missing.
  desktop.AddReply({.title = "TORVAmeter GPU benchmark?", .answer = "no"});
  desktop.AddReply(QuitOnInterrupt());

  const std::string log =
      mode == RenderMode::kGpu ? program.paths.GpuBenchmarkLog : program.paths.BenchmarkLog;
  const std::optional<FileStamp> log_before = StampOf(log);
  const std::optional<FileStamp> records_before[] = {StampOf(RecordPathFor(log, false)),
                                                     StampOf(RecordPathFor(log, true))};
  const std::optional<FileStamp> charts_before[] = {StampOf(PlotPathFor(log, false)),
                                                    StampOf(PlotPathFor(log, true))};
  BenchmarkOptions options;
  options.phase1_stop_rule = BenchmarkStop(command.estimates);
  RunBenchmarkWithMode(program, mode, options);

  HeadlessOutcome outcome;
  const std::optional<BenchmarkResults> results = ReadBenchmarkLog(log);
  const bool finished = WrittenSince(log, log_before) && results && results->speed_ratio > 0 &&
                        results->delta_sl != 0;
  if (!finished) outcome.failure = FailureOf(desktop, "the benchmark did not finish");
  const std::string record = RecordPathFor(log, finished), chart = PlotPathFor(log, finished);
  if (WrittenSince(record, records_before[finished])) {
    std::vector<std::pair<std::string, std::string>> paths = {{"record", record}};
    if (finished) paths.emplace_back("log", log);
    if (WrittenSince(chart, charts_before[finished])) paths.emplace_back("chart", chart);
    outcome.json = RecordWithPaths(record, paths);
  }
  return outcome;
}

}  // namespace torva
