// estimate: the window's "Estimate project" with the answers of the command line.
#include "estimate/estimation_run.h"
#include "headless/command_runs.h"
#include "text/numbers.h"
#include "watch/stop_rules.h"

namespace torva {

HeadlessOutcome RunHeadlessEstimate(const HeadlessCommand& command, Program& program,
                                    TerminalDesktop& desktop) {
  const RenderMode mode = command.gpu ? RenderMode::kGpu : RenderMode::kCpu;
  if (!BenchmarkDone(program.state, mode)) {
    return HeadlessOutcome::Failed(std::string("this computer has no ") + ModeName(mode) +
                                   " benchmark of Maxwell Render " + program.state.RendererVersion +
                                   " yet: run the benchmark command first");
  }
  desktop.AddReply({.question = QuestionId::kEstimationType,
                    .answer = command.gpu ? "yes" : "no",
                    .argument = command.gpu ? "--gpu" : ""});
  desktop.AddReply({.question = QuestionId::kProjectArchive,
                    .answer = command.archive,
                    .argument = "ARCHIVE.vum"});
  desktop.AddReply(
      {.question = QuestionId::kProjectWidth, .answer = command.width, .argument = "--size"});
  desktop.AddReply(
      {.question = QuestionId::kProjectHeight, .answer = command.height, .argument = "--size"});
  desktop.AddReply(
      {.question = QuestionId::kSamplingLevel, .answer = command.sl, .argument = "--sl"});
  desktop.AddReply(QuitOnInterrupt());

  EstimationOptions options;
  options.stop_rule = EstimationStop(command.seconds);
  const EstimationOutcome estimation = RunEstimation(program, options);

  HeadlessOutcome outcome;
  outcome.failure = FailureOf(estimation, desktop);
  if (estimation.record) {
    outcome.json = RecordWithPaths(
        RecordJson(*estimation.record),
        {{"log", estimation.log}, {"record", estimation.record_path}, {"chart", estimation.chart}});
  }
  if (estimation.Finished() && estimation.record && estimation.record->cost) {
    const EstimationRecord& record = *estimation.record;
    const std::string farm_time =
        record.predictions.empty() ? ""
                                   : record.predictions.back().farm_time_text + " on the TORVA, ";
    const auto eur = [](const std::optional<float>& cost) {
      return cost ? FormatFixed(*cost, 2) : std::string("?");
    };
    outcome.summary = "Estimated from the " + record.price_from + ": " + farm_time +
                      FormatFixed(*record.cost, 2) + " EUR without merging. Likely " +
                      eur(record.cost_low) + " to " + eur(record.cost_high) + " EUR" +
                      (record.settled ? "" : ": the predictions had NOT SETTLED") +
                      ". Log: " + estimation.log;
  }
  return outcome;
}

}  // namespace torva
