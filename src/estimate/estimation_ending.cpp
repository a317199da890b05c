#include <cmath>
#include <filesystem>

#include "estimate/estimation_steps.h"
#include "estimate/extrapolation.h"
#include "estimate/work_folder.h"
#include "platform/own_folder.h"
#include "text/file_size.h"
#include "text/numbers.h"
#include "text/paths.h"
#include "text/time_text.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

FarmPrice PriceFor(const Constants& constants, RenderMode mode) {
  return mode == RenderMode::kGpu ? FarmPrice{constants.FarmGpuUnits, constants.FarmGpuUnitPrice}
                                  : FarmPrice{constants.FarmCpuUnits, constants.FarmCpuUnitPrice};
}

// A render that reached its SL before the renderer predicted anything: its
// whole time is known, so it is priced from that.
bool FinishedBeforeAnyPrediction(const Estimation& run) {
  const WatchedRender& render = run.render;
  return run.record.predictions.empty() && render.ended_by == RenderEndedBy::kRenderer &&
         render.end == RunEnd::kFinished && render.exit_code == 0;
}

// The run has something to show for itself: a prediction, or a render that
// finished on its own.
bool MadeAnEstimate(const Estimation& run) {
  return !run.record.predictions.empty() || FinishedBeforeAnyPrediction(run);
}

void PriceTheProject(Estimation& run) {
  std::string farm_time_text;
  if (FinishedBeforeAnyPrediction(run)) {
    const std::int64_t local_seconds =
        run.render.renderer_elapsed_seconds.value_or(std::llround(run.render.seconds));
    farm_time_text =
        ScaleSeconds(local_seconds, ResultsFor(run.program.state, run.project.mode).speed_ratio);
    run.ReportAndLog(
        {"Maxwell Render finished before predicting the time left: the price comes "
         "from the finished render (" +
             FormatRendererTimeText(local_seconds) + " on your system, " + farm_time_text +
             " on the TORVA).",
         ""});
    run.record.price_from = "finished render";
  } else if (run.record.predictions.empty()) {
    // Without a prediction there is no farm time to price.
    const std::string why =
        "Maxwell Render gave no estimation of the time left, so the project could not be "
        "priced.";
    const std::string detail = StartFailureText("Maxwell Render", run.render.start_error);
    run.ReportAndLog({why});
    if (!detail.empty()) run.ReportAndLog({detail});
    run.Fail("TORVAmeter error", why + DetailLine(detail));
    run.record.outcome = "not priced";
    return;
  } else {
    farm_time_text = run.record.predictions.back().farm_time_text;
    run.record.price_from = "latest prediction";
  }
  const float cost = FarmCost(farm_time_text, PriceFor(run.program.constants, run.project.mode));
  const std::string cost_text = CostText(cost);
  run.ReportLines(CostPanelLines(cost_text, run.project.mode));
  for (const std::string& line : CostLogLines(cost_text, run.project.mode)) run.log.Write(line);
  run.record.outcome = "priced";
  run.record.cost = cost;
}

}  // namespace

void DiscardRun(Estimation& run) {
  run.outcome.ending = Outcome::Ending::kQuit;
  run.log.Discard();
  RemoveOwnFolder(run.program.paths.WorkDir);
}

void Evaluate(Estimation& run) {
  Program& program = run.program;
  if (run.render.silenced) run.ReportAndLog({"", SilenceLine(run.options.silence_limit_ms)});
  run.ReportLines({"", "Simulation finished!", ""});
  // Without an estimate the earlier log stays as it was.
  if (MadeAnEstimate(run)) {
    run.ReportLines({"Results have been written in:",
                     "   \"" + run.log_name + "\" ('/estimate/' subfolder).", ""});
  }
  run.log.Write(std::string(ModeName(run.project.mode)) + " simulation finished!");
  run.log.Write("");

  EstimationRecord& record = run.record;
  const std::string mxi = program.paths.WorkDir + "/" + run.project.scene_base + ".mxi";
  const long long limit = program.constants.MxiSizeLimitMB;
  record.mxi_bytes = PlainFileBytes(mxi);
  record.mxi_size_mb = WholeMiB(record.mxi_bytes);
  record.mxi_size_limit_mb = limit;
  switch (JudgeMxi(record.mxi_size_mb, limit)) {
    case MxiVerdict::kTooBig:
      run.ReportAndLog(TooBigLines(FileSizeMB(mxi), limit));
      run.Fail("TORVAmeter warning: MXI too big!", TooBigMessage(record.mxi_size_mb, limit));
      record.outcome = "mxi too big";
      return;
    case MxiVerdict::kNotProduced:
      run.ReportAndLog(NotProducedLines());
      run.Fail("TORVAmeter error: MXI file not found!",
               "Make sure the scene is compatible with your Maxwell version and has no error.");
      record.outcome = "mxi not produced";
      return;
    case MxiVerdict::kAccepted: PriceTheProject(run); return;
  }
}

void KeepTheRecord(Estimation& run) {
  Program& program = run.program;
  const Project& project = run.project;
  EstimationRecord& record = run.record;
  const std::string stem = run.log_path.substr(0, run.log_path.size() - 4);  // without ".log"
  const FarmPrice price = PriceFor(program.constants, project.mode);
  record.archive = FileNameOf(project.vum_path);
  record.scene = project.scene_file;
  record.mode = project.mode;
  record.width = project.width;
  record.height = project.height;
  record.target_sl = project.target_sl;
  record.renderer_version = program.state.RendererVersion;
  record.speed_ratio = ResultsFor(program.state, project.mode).speed_ratio;
  record.stopped_by_user = run.render.ended_by == RenderEndedBy::kUser;
  record.ended_by = EndedByText(run.render);
  record.render_seconds = run.render.seconds;
  record.price_per_farm_hour = price.units * static_cast<double>(price.unit_price);
  EstimationOutcome& outcome = run.outcome;
  outcome.record = record;
  if (!MadeAnEstimate(run)) {
    run.log.Discard();
    if (WriteRecord(stem + ".unfinished.json", record))
      outcome.record_path = stem + ".unfinished.json";
    return;
  }
  if (run.log.Commit()) {
    outcome.log = run.log_path;
  } else {
    run.Fail("TORVAmeter error", "The estimation log " + run.log_path + " cannot be written.");
  }
  std::error_code ec;
  fs::remove(stem + ".unfinished.json", ec);  // an earlier failed run's, now out of date
  if (WriteRecord(stem + ".json", record)) outcome.record_path = stem + ".json";
  if (record.predictions.empty()) return;
  Picture chart = DrawTimeChart(PredictionsChart(record));
  if (SavePng(chart, stem + ".png")) {
    outcome.chart = stem + ".png";
    program.desktop.Open(stem + ".png");
  }
}

void CleanUp(Estimation& run) {
  run.Report("");
  RemoveOwnFolder(run.program.paths.WorkDir);
}

}  // namespace torva
