// estimate: the window's "Estimate project" with the answers of the command line.
#include "estimate/estimation_names.h"
#include "estimate/estimation_run.h"
#include "headless/command_runs.h"
#include "headless/stop_rules.h"
#include "platform/file_stamp.h"
#include "text/json.h"
#include "text/whole_file.h"

namespace torva {

HeadlessOutcome RunHeadlessEstimate(const HeadlessCommand& command, Program& program,
                                    HeadlessDesktop& desktop) {
  if (command.gpu && !program.state.GpuCapable) {
    return {"Maxwell Render " + program.state.RendererVersion + " cannot render on the GPU",
            std::nullopt};
  }
  desktop.AddReply({.title = "Estimation type",
                    .answer = command.gpu ? "yes" : "no",
                    .argument = command.gpu ? "--gpu" : ""});
  desktop.AddReply({.title = "Choose a vum project to estimate: ",
                    .answer = command.archive,
                    .argument = "ARCHIVE.vum"});
  desktop.AddReply(
      {.title = "Project X (width) resolution", .answer = command.width, .argument = "--size"});
  desktop.AddReply(
      {.title = "Project Y (height) resolution", .answer = command.height, .argument = "--size"});
  desktop.AddReply({.title = "Sampling Level", .answer = command.sl, .argument = "--sl"});
  desktop.AddReply(QuitOnInterrupt());

  const RenderMode mode = command.gpu ? RenderMode::kGpu : RenderMode::kCpu;
  const std::string log =
      program.paths.EstimateDir + "/" +
      EstimateLogName(ArchiveBase(command.archive),
                      ResolutionText(std::stoi(command.width), std::stoi(command.height)),
                      command.sl, mode);
  const std::string stem = log.substr(0, log.size() - 4);  // without ".log"
  const std::string record = stem + ".json", chart = stem + ".png",
                    unfinished = stem + ".unfinished.json";
  const std::optional<FileStamp> record_before = StampOf(record), chart_before = StampOf(chart),
                                 unfinished_before = StampOf(unfinished);
  EstimationOptions options;
  options.stop_rule = EstimationStop(command.seconds);
  RunEstimation(program, options);

  HeadlessOutcome outcome;
  if (!WrittenSince(record, record_before)) {
    outcome.failure = FailureOf(desktop, "no estimation has been made");
    if (WrittenSince(unfinished, unfinished_before))
      outcome.json = RecordWithPaths(unfinished, {{"record", unfinished}});
    return outcome;
  }
  std::vector<std::pair<std::string, std::string>> paths = {{"log", log}, {"record", record}};
  if (WrittenSince(chart, chart_before)) paths.emplace_back("chart", chart);
  outcome.json = RecordWithPaths(record, paths);
  const std::optional<std::string> text = ReadWholeFile(record);
  const std::optional<JsonValue> parsed = text ? ParseJson(*text) : std::nullopt;
  const JsonValue* verdict = parsed ? parsed->Find("outcome") : nullptr;
  if (!verdict || verdict->text != "priced")
    outcome.failure = FailureOf(desktop, "the project has not been priced");
  return outcome;
}

}  // namespace torva
