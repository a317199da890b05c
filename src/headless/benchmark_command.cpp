// benchmark: the window's "Benchmark" with the answers of the command line.
#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_run.h"
#include "headless/command_runs.h"
#include "text/numbers.h"
#include "watch/stop_rules.h"

namespace torva {

HeadlessOutcome RunHeadlessBenchmark(const HeadlessCommand& command, Program& program,
                                     TerminalDesktop& desktop) {
  const RenderMode mode = command.gpu ? RenderMode::kGpu : RenderMode::kCpu;
  desktop.AddReply(
      {.question = QuestionId::kBenchmarkAgain, .answer = "yes", .argument = "benchmark"});
  // After the CPU benchmark the GPU one is offered when its log is missing.
  desktop.AddReply({.question = QuestionId::kBenchmarkNow, .answer = "no"});
  desktop.AddReply(QuitOnInterrupt());

  BenchmarkOptions options;
  options.phase1_stop_rule = BenchmarkStop(command.estimates);
  const BenchmarkOutcome benchmark = RunBenchmarkWithMode(program, mode, options);

  HeadlessOutcome outcome;
  outcome.failure = FailureOf(benchmark, desktop);
  if (benchmark.record) {
    outcome.json = RecordWithPaths(
        RecordJson(*benchmark.record),
        {{"log", benchmark.log}, {"record", benchmark.record_path}, {"chart", benchmark.chart}});
  }
  if (benchmark.Finished() && benchmark.record && benchmark.record->speed_ratio &&
      benchmark.record->delta_sl) {
    const BenchmarkRecord& record = *benchmark.record;
    outcome.summary = "Speed ratio " + FormatFixed(*record.speed_ratio, 2) + " (" +
                      (record.settled ? "" : "NOT SETTLED, ") + "likely " +
                      RatioRangeText(record.speed_ratio_range) + ", from the " +
                      (record.settled ? "settled " : "latest ") +
                      std::to_string(record.estimates.size() - record.ratio_from) +
                      " estimates), DeltaSL " + FormatFixed(*record.delta_sl, 2) +
                      ". Log: " + benchmark.log;
  }
  return outcome;
}

}  // namespace torva
