#include <cmath>
#include <cstring>
#include <filesystem>

#include "desktop/titles.h"
#include "estimate/estimation_names.h"
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

// The log's path without ".log": the record and the chart go beside it.
std::string LogStem(const Estimation& run) {
  return run.log_path.substr(0, run.log_path.size() - 4);
}

// A render that ended by itself this far below its target did not finish.
constexpr double kReachedTargetWithin = 0.5;

FarmPrice PriceFor(const Constants& constants, RenderMode mode) {
  return mode == RenderMode::kGpu ? FarmPrice{constants.FarmGpuUnits, constants.FarmGpuUnitPrice}
                                  : FarmPrice{constants.FarmCpuUnits, constants.FarmCpuUnitPrice};
}

// The renderer ended by itself at its target: its whole time is known.
bool RenderReachedTarget(const Estimation& run) {
  const WatchedRender& render = run.render;
  if (render.ended_by != RenderEndedBy::kRenderer || render.Crashed() || render.start_error != 0)
    return false;
  return render.target_reached ||
         (render.last_sampling_level &&
          *render.last_sampling_level >= run.project.target_sl - kReachedTargetWithin);
}

// Why the render, though it ran, gives nothing to judge, as the lines to
// show and log; none when it ended well.
std::vector<std::string> RenderFailure(const Estimation& run) {
  const WatchedRender& render = run.render;
  if (render.Crashed()) return {kRendererCrashed, CrashDetail(render)};
  if (render.ended_by == RenderEndedBy::kRenderer && render.start_error == 0 &&
      !RenderReachedTarget(run)) {
    const std::string level =
        render.last_sampling_level ? "SL " + FormatFixed(*render.last_sampling_level, 2) : "no SL";
    return {"Maxwell Render ended by itself at " + level + ", before reaching SL " +
            std::to_string(run.project.target_sl) +
            ": the render did not finish, so the project could not be priced."};
  }
  return {};
}

// A render without a prediction has a price only when it reached its target.
std::vector<std::string> NothingToPrice(const Estimation& run) {
  if (!run.render.readings.empty() || RenderReachedTarget(run)) return {};
  std::vector<std::string> lines = {
      "Maxwell Render gave no estimation of the time left, so the project could not be "
      "priced."};
  const std::string detail = StartFailureText("Maxwell Render", run.render.start_error);
  if (!detail.empty()) lines.push_back(detail);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// Where the farm time likely lies: the renderer's predictions' own range
// over the speed ratio's, and never without the price shown.
void RangeOfFarmTime(Estimation& run, double farm_seconds) {
  EstimationRecord& record = run.record;
  const RatioRange ratio = ResultsFor(run.state, run.project.mode).range;
  std::optional<double> low, high;
  if (run.record.predictions.empty()) {  // the render's own time, known
    record.settled = true;
    low = high = run.render.RenderedSeconds();
  } else {
    const SeriesVerdict verdict = JudgeSeries(WholePredictionsOf(run.render.readings));
    record.settled = verdict.settled;
    low = verdict.low;
    high = verdict.high;
  }
  if (low && ratio.high && *ratio.high > 0)
    record.farm_seconds_low = std::min(farm_seconds, *low / *ratio.high);
  if (high && ratio.low && *ratio.low > 0)
    record.farm_seconds_high = std::max(farm_seconds, *high / *ratio.low);
}

std::string RangeLine(const EstimationRecord& record) {
  const auto eur = [](std::optional<float> cost) { return FormatFixed(*cost, 2) + " EUR"; };
  if (record.cost_low && record.cost_high)
    return "Likely between " + eur(record.cost_low) + " and " + eur(record.cost_high) + ".";
  const std::string why = "the predictions had not settled, so it may be far ";
  if (record.cost_low) return "Likely at least " + eur(record.cost_low) + ": " + why + "more.";
  if (record.cost_high) return "Likely at most " + eur(record.cost_high) + ": " + why + "less.";
  return "The predictions had not settled: the price may be far off either way.";
}

void PriceTheProject(Estimation& run) {
  EstimationRecord& record = run.record;
  const float ratio = ResultsFor(run.state, run.project.mode).speed_ratio;
  std::string farm_time_text;
  if (record.predictions.empty()) {
    // A render that ended at its target before any prediction: priced from
    // its own time, as the renderer counted it.
    const auto local_seconds = std::llround(run.render.RenderedSeconds());
    farm_time_text = ScaleSeconds(local_seconds, ratio);
    run.ReportAndLog(
        {"Maxwell Render finished before predicting the time left: the price comes "
         "from the finished render (" +
             FormatRendererTimeText(local_seconds) + " on your system, " + farm_time_text +
             " on the TORVA).",
         ""});
    record.price_from = "finished render";
  } else {
    farm_time_text = record.predictions.back().farm_time_text;
    record.price_from = "latest prediction";
  }
  const FarmPrice price = PriceFor(run.constants, run.project.mode);
  const float cost = FarmCost(farm_time_text, price);
  const std::string cost_text = CostText(cost);
  run.ReportLines(CostPanelLines(cost_text, run.project.mode));
  for (const std::string& line : CostLogLines(cost_text, run.project.mode)) run.log.Write(line);
  record.outcome = "priced";
  record.cost = cost;
  RangeOfFarmTime(run, static_cast<double>(ParseTimeText(farm_time_text)));
  if (record.farm_seconds_low) record.cost_low = FarmCostOfSeconds(*record.farm_seconds_low, price);
  if (record.farm_seconds_high)
    record.cost_high = FarmCostOfSeconds(*record.farm_seconds_high, price);
  run.ReportAndLog({RangeLine(record)});
}

// Where the log goes, said where the panel says so.
void ReportWhereTheLogGoes(Estimation& run) {
  if (!run.log.Writing()) {
    run.ReportLines({"The estimation log " + run.log_path + " cannot be written (" +
                         std::strerror(run.log.error() ? run.log.error() : EIO) +
                         "): the results are only in this window.",
                     ""});
    return;
  }
  run.keep_earlier_log = !run.has_verdict && fs::exists(run.log_path);
  if (run.keep_earlier_log) {
    run.ReportLines({"This run's log has been written in:",
                     "   \"" + FailedLogName(run.log_name) + "\" ('/estimate/' subfolder).",
                     "The earlier estimation's log, record and chart have been kept.", ""});
    return;
  }
  run.ReportLines({"Results have been written in:",
                   "   \"" + run.log_name + "\" ('/estimate/' subfolder).", ""});
}

}  // namespace

void DiscardRun(Estimation& run) {
  run.outcome.ending = Outcome::Ending::kQuit;
  run.log.Discard();
  RemoveOwnFolder(run.paths.WorkDir);
  // What was measured so far, under the name of a run that did not finish.
  run.record.outcome = "stopped to quit";
  const bool rendered = run.render.seconds > 0;
  run.render.ended_by = RenderEndedBy::kQuit;
  FillRecord(run);
  if (!rendered) run.record.renderer_end = "not started";
  run.outcome.record = run.record;
  const std::string unfinished = LogStem(run) + ".unfinished.json";
  if (WriteRecord(unfinished, run.record)) run.outcome.record_path = unfinished;
}

void Evaluate(Estimation& run) {
  EstimationRecord& record = run.record;
  if (run.render.silenced) run.ReportAndLog({"", SilenceLine(run.options.silence_limit_ms)});
  if (run.render.impossible_predictions > 0) {
    run.ReportAndLog({"", std::to_string(run.render.impossible_predictions) +
                              " predictions shorter than the time already rendered have been "
                              "left out."});
  }
  const std::string mxi = run.paths.WorkDir + "/" + run.project.scene_base + ".mxi";
  const long long limit = run.constants.MxiSizeLimitMB;
  record.mxi_bytes = PlainFileBytes(mxi);
  record.mxi_size_mb = WholeMiB(record.mxi_bytes);
  record.mxi_size_limit_mb = limit;
  const std::vector<std::string> failure = RenderFailure(run);
  const MxiVerdict verdict = JudgeMxi(record.mxi_size_mb, limit);
  const std::vector<std::string> unpriced = NothingToPrice(run);
  run.has_verdict = failure.empty() && (verdict == MxiVerdict::kTooBig ||
                                        (verdict == MxiVerdict::kAccepted && unpriced.empty()));

  run.ReportLines({"", "Simulation finished!", ""});
  ReportWhereTheLogGoes(run);
  run.log.Write(std::string(ModeName(run.project.mode)) + " simulation finished!");
  run.log.Write("");
  if (!failure.empty()) {
    run.ReportAndLog(failure);
    run.Fail(kErrorTitle, Joined(failure));
    record.outcome = run.render.Crashed() ? "renderer crashed" : "not priced";
    return;
  }
  switch (verdict) {
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
    case MxiVerdict::kAccepted:
      if (unpriced.empty()) {
        PriceTheProject(run);
        return;
      }
      run.ReportAndLog(unpriced);
      run.Fail(kErrorTitle, Joined(unpriced));
      record.outcome = "not priced";
      return;
  }
}

// The record's description of the run, and the outcome's copy of it.
void FillRecord(Estimation& run) {
  const Project& project = run.project;
  EstimationRecord& record = run.record;
  const FarmPrice price = PriceFor(run.constants, project.mode);
  record.archive = FileNameOf(project.vum_path);
  record.scene = project.scene_file;
  record.mode = project.mode;
  record.width = project.width;
  record.height = project.height;
  record.target_sl = project.target_sl;
  record.renderer_version = run.state.RendererVersion;
  const BenchmarkResults results = ResultsFor(run.state, project.mode);
  record.speed_ratio = results.speed_ratio;
  record.speed_ratio_range = results.range;
  record.stopped_by_user = run.render.ended_by == RenderEndedBy::kUser;
  record.ended_by = EndedByText(run.render);
  record.renderer_end = RendererEndText(run.render);
  record.impossible_predictions = run.render.impossible_predictions;
  record.render_seconds = run.render.seconds;
  record.price_per_farm_hour = price.units * static_cast<double>(price.unit_price);
  run.outcome.record = record;
}

void KeepTheRecord(Estimation& run) {
  EstimationRecord& record = run.record;
  const std::string stem = LogStem(run);
  FillRecord(run);
  EstimationOutcome& outcome = run.outcome;
  const std::string failed_log = run.paths.EstimateDir + "/" + FailedLogName(run.log_name);
  // The earlier log, record and chart describe one run, and stay together
  // unless this run's log takes the log's place.
  if (run.keep_earlier_log || !run.log.Writing()) {
    if (run.log.Writing() && run.log.CommitAs(failed_log)) outcome.log = failed_log;
    run.log.Discard();
    if (WriteRecord(stem + ".unfinished.json", record))
      outcome.record_path = stem + ".unfinished.json";
    return;
  }
  if (!run.log.Commit()) {
    run.Fail(kErrorTitle, "The estimation log " + run.log_path + " cannot be written.");
    return;
  }
  outcome.log = run.log_path;
  std::error_code ec;
  for (const std::string& stale : {stem + ".unfinished.json", stem + ".png", failed_log})
    fs::remove(stale, ec);
  if (WriteRecord(stem + ".json", record)) outcome.record_path = stem + ".json";
  if (record.predictions.empty()) return;
  Picture chart = DrawTimeChart(PredictionsChart(record));
  if (SavePng(chart, stem + ".png")) {
    outcome.chart = stem + ".png";
    run.desktop.Open(stem + ".png");
  }
}

void CleanUp(Estimation& run) {
  run.Report("");
  RemoveOwnFolder(run.paths.WorkDir);
}

}  // namespace torva
