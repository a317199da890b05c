#include "estimate/estimation_steps.h"

#include <cmath>
#include <filesystem>

#include "estimate/estimation_names.h"
#include "estimate/estimation_questions.h"
#include "estimate/extrapolation.h"
#include "estimate/unpacking.h"
#include "estimate/work_folder.h"
#include "platform/own_folder.h"
#include "renderer/command_lines.h"
#include "state/renderer_check.h"
#include "text/file_size.h"
#include "text/numbers.h"
#include "text/time_text.h"
#include "text/whole_file.h"
#include "watch/preview_window.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

void Report(Program& program, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) ReportLine(program, line);
}

// The panel and the log both get `lines`.
void ReportAndLog(Estimation& run, const std::vector<std::string>& lines) {
  Report(run.program, lines);
  for (const std::string& line : lines) run.log.Write(line);
}

bool BenchmarkDone(const State& state, RenderMode mode) {
  return mode == RenderMode::kGpu ? state.GpuFarmSpeedRatio != 0 && state.GpuDeltaSL != 0
                                  : state.FarmSpeedRatio != 0 && state.DeltaSL != 0;
}

float SpeedRatio(const State& state, RenderMode mode) {
  return mode == RenderMode::kGpu ? state.GpuFarmSpeedRatio : state.FarmSpeedRatio;
}

FarmPrice PriceFor(const Constants& constants, RenderMode mode) {
  return mode == RenderMode::kGpu ? FarmPrice{constants.FarmGpuUnits, constants.FarmGpuUnitPrice}
                                  : FarmPrice{constants.FarmCpuUnits, constants.FarmCpuUnitPrice};
}

// The message the user gets is also why the command failed.
void Fail(Estimation& run, const std::string& title, const std::string& text) {
  run.program.desktop.Message(title, text);
  run.outcome.Fail(text);
}

void AbandonUnpacked(Estimation& run, const std::string& text) {
  Fail(run, "TORVAmeter error", text);
  run.program.desktop.ClearLog();
  RemoveOwnFolder(run.program.paths.WorkDir);
  run.log.Discard();
}

void WarnAboutTheProject(Program& program) {
  const std::string& work_dir = program.paths.WorkDir;
  const std::optional<int> active_cameras = CountActiveCameras(work_dir + "/cameras.txt");
  if (!active_cameras) {
    program.desktop.Message("TORVAmeter warning",
                            "cameras.txt is too large (more than " +
                                std::to_string(kMaxTextFileBytes >> 20) +
                                " MB). The estimation goes on without counting its cameras.");
  } else if (*active_cameras > 1) {
    program.desktop.Message("TORVAmeter warning",
                            "This is a multi-camera project.\nThe estimation will process THE "
                            "ACTIVE CAMERA ONLY!\nTo estimate the whole project, multiply by the "
                            "number of cameras.");
  }
  std::error_code ec;
  if (!fs::exists(work_dir + "/TORVAmeter_Maxwell.log", ec)) {
    program.desktop.Message("TORVAmeter warning",
                            "This project has not been prepared by TORVAmeter. The estimation "
                            "may or may not work.");
  }
}

void Announce(Estimation& run) {
  const Project& project = run.project;
  const std::string running =
      "Simulation is running for project \"" + project.scene_file + "\", please wait...";
  const std::string target = "Time to reach SL = " + FormatFixed(project.target_sl, 2) +
                             (project.mode == RenderMode::kGpu ? " (with 14 GPU nodes) below:"
                                                               : " (with 32 CPU nodes) below:");
  // Without a window nobody clicks: the stop rule ends the render.
  if (run.options.stop_rule)
    Report(run.program, {"", "The render stops by itself once it has run long enough.", ""});
  else
    Report(run.program,
           {"", "<< CLICK ON THE 'ESTIMATE PROJECT' BUTTON TO GO TO PHASE 2 >>",
            "<<              AFTER AT LEAST ONE ESTIMATION IS DONE            >>", ""});
  Report(run.program, {running, "", target, ""});
  for (const std::string& line : {running, std::string(), target, std::string()})
    run.log.Write(line);
}

PreviewLayout PreviewLayoutFor(const Project& project, const PreviewSize& size) {
  PreviewLayout layout;
  layout.title = "TORVAmeter estimation running... (real size " + project.resolution + ")";
  layout.window_width = size.window_width;
  layout.window_height = size.window_height;
  layout.picture_width = size.picture_width;
  layout.picture_height = size.picture_height;
  layout.caption_x = 10;
  layout.caption_y = size.caption_y;
  layout.closable = true;  // closing it is a stop request
  return layout;
}

// Each farm time is the whole render the renderer predicts (the time
// rendered so far plus the time left) divided by the speed ratio.
void TakePrediction(Estimation& run, const TimeLeftReading& reading, double seconds) {
  const float ratio = SpeedRatio(run.program.state, run.project.mode);
  const std::string farm_time_text = ScaleSeconds(reading.WholeSeconds(), ratio);
  const std::string estimate =
      EstimateLine(reading.sl_text, farm_time_text, FormatRendererTimeText(reading.WholeSeconds()));
  ReportAndLog(run, {estimate});
  run.record.predictions.push_back({seconds, reading.sl_text, reading.sampling_level,
                                    reading.time_left_text, reading.time_left_seconds,
                                    farm_time_text, ParseTimeText(farm_time_text),
                                    reading.rendered_seconds});
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
    farm_time_text = ScaleSeconds(local_seconds, SpeedRatio(run.program.state, run.project.mode));
    ReportAndLog(run, {"Maxwell Render finished before predicting the time left: the price comes "
                       "from the finished render (" +
                           FormatRendererTimeText(local_seconds) + " on your system, " +
                           farm_time_text + " on the TORVA).",
                       ""});
    run.record.price_from = "finished render";
  } else if (run.record.predictions.empty()) {
    // Without a prediction there is no farm time to price.
    const std::string why =
        "Maxwell Render gave no estimation of the time left, so the project could not be "
        "priced.";
    const std::string detail = StartFailureText("Maxwell Render", run.render.start_error);
    ReportAndLog(run, {why});
    if (!detail.empty()) ReportAndLog(run, {detail});
    Fail(run, "TORVAmeter error", why + DetailLine(detail));
    run.record.outcome = "not priced";
    return;
  } else {
    farm_time_text = run.record.predictions.back().farm_time_text;
    run.record.price_from = "latest prediction";
  }
  const float cost = FarmCost(farm_time_text, PriceFor(run.program.constants, run.project.mode));
  const std::string cost_text = CostText(cost);
  Report(run.program, CostPanelLines(cost_text, run.project.mode));
  for (const std::string& line : CostLogLines(cost_text, run.project.mode)) run.log.Write(line);
  run.record.outcome = "priced";
  run.record.cost = cost;
}

}  // namespace

Next CheckReady(Estimation& run) {
  Desktop& desktop = run.program.desktop;
  State& state = run.program.state;
  const RendererCheck renderer_check = CheckRenderer(run.program);
  if (renderer_check == RendererCheck::kInstallationGone) return GiveUpOnInstallation(run.program);
  if (state.GpuCapable &&
      desktop.Question("Estimation type", "Is this scene designed for GPU rendering?")) {
    run.project.mode = RenderMode::kGpu;
  }
  if (renderer_check == RendererCheck::kTooOld) {
    Fail(run, "TORVAmeter error",
         "Your Maxwell Render version is " + state.RendererVersion +
             ".\nTORVAmeter needs at least Maxwell Render 2.0.2.0 to run the estimator.");
    return {Next::kGiveUp};
  }
  if (!BenchmarkDone(state, run.project.mode)) {
    Fail(run, "TORVAmeter error",
         "Before doing an estimation, you must run the benchmark on your system!\n"
         "Click on the 'Benchmark' button below to do so.");
    return {Next::kGiveUp};
  }
  return {};
}

bool ChooseProject(Estimation& run) {
  Desktop& desktop = run.program.desktop;
  const AppPaths& paths = run.program.paths;
  Project& project = run.project;
  std::optional<std::string> vum =
      desktop.ChooseFile("Choose a vum project to estimate: ", paths.AppDir + "/archive/",
                         "vum archive (*.vum)|*.vum");
  if (!vum || vum->empty()) return false;
  project.vum_path = *vum;
  std::error_code ec;
  fs::create_directories(paths.EstimateDir, ec);
  desktop.ClearLog();

  std::optional<int> width = AskResolution(desktop, "Project X (width) resolution",
                                           "Enter the X resolution (400-32768 pix)");
  if (!width) return false;
  std::optional<int> height = AskResolution(desktop, "Project Y (height) resolution",
                                            "Enter the Y resolution (400-32768 pix)");
  if (!height) return false;
  project.width = *width;
  project.height = *height;
  project.resolution = ResolutionText(project.width, project.height);
  std::optional<SamplingLevelAnswer> sl = AskSamplingLevel(desktop);
  if (!sl) return false;
  project.target_sl = sl->level;
  project.sl_answer = sl->typed;
  return true;
}

void OpenLog(Estimation& run) {
  const Project& project = run.project;
  run.log_name = EstimateLogName(ArchiveBase(project.vum_path), project.resolution,
                                 project.sl_answer, project.mode);
  run.log_path = run.program.paths.EstimateDir + "/" + run.log_name;
  run.log.Create(run.log_path);  // a log that cannot be made drops its lines; the run goes on
  run.log.Write("Project \"" + FileNameOf(project.vum_path) + "\" " + ModeName(project.mode) +
                " estimation.");
  run.log.Write("");
  run.log.Write("Project resolution: " + project.resolution);
  run.log.Write("Desired Sampling Level: " + FormatFixed(project.target_sl, 2));
}

bool UnpackProject(Estimation& run) {
  Program& program = run.program;
  program.state.LogLine = 0;
  program.desktop.AddLogLine(0, "TORVAmeter is uncompressing the project, please wait...");
  if (const std::optional<std::string> failure = Unpack(program, run.project.vum_path)) {
    if (program.quit_requested)
      DiscardRun(run);
    else
      AbandonUnpacked(run, *failure);
    return false;
  }
  const std::optional<std::string> scene =
      FindScene(program.paths.WorkDir, ArchiveBase(run.project.vum_path));
  if (!scene) {
    AbandonUnpacked(run, kCannotUncompress);
    return false;
  }
  run.project.scene_file = *scene;
  run.project.scene_base = SceneBase(*scene);
  WarnAboutTheProject(program);
  return true;
}

// An MXI or picture that came with the archive must not be taken for the
// renderer's own.
void RenderProject(Estimation& run) {
  Program& program = run.program;
  const Project& project = run.project;
  const std::string work_dir = program.paths.WorkDir;
  Announce(run);
  std::error_code ec;
  fs::remove(work_dir + "/" + project.scene_base + ".mxi", ec);
  fs::remove(work_dir + "/" + project.scene_base + ".jpg", ec);
  ExternalProcess renderer = ExternalProcess::Launch(
      RendererExecutable(program.state.MaxwellDir),
      EstimationArguments(project.mode, work_dir, project.scene_file, project.scene_base,
                          project.resolution, project.target_sl),
      program.state.MaxwellDir);
  const PreviewSize size = PreviewFor(project.width, project.height, program.desktop.ScreenArea());
  PreviewWindow preview(program.desktop, PreviewLayoutFor(project, size),
                        work_dir + "/" + project.scene_base + ".jpg");

  RenderWatch watch;
  watch.stop_gadget = kEstimateProject;
  // Closing the preview (when it could be opened) asks to stop as well.
  if (const std::optional<WindowId> window = preview.id()) watch.stop_window = *window;
  watch.readings_before_stop = 1;
  watch.too_early = {"At least one estimation is needed before you can stop the simulation...",
                     "The more estimations are done, the more reliable the test.", ""};
  watch.silence_limit_ms = run.options.silence_limit_ms;
  watch.stop_rule = run.options.stop_rule;
  watch.confirm_quit = [&] { return ConfirmQuit(program, "the estimation"); };
  watch.report = [&](const std::string& text) { ReportLine(program, text); };
  watch.on_reading = [&](const TimeLeftReading& reading, double seconds) {
    TakePrediction(run, reading, seconds);
  };
  watch.on_sampling_level = [&](const std::string& sl_text) {
    preview.Refresh("Current SL = " + sl_text);
  };
  run.render = WatchRender(renderer, program.desktop, watch);
}

void DiscardRun(Estimation& run) {
  run.outcome.ending = Outcome::Ending::kQuit;
  run.log.Discard();
  RemoveOwnFolder(run.program.paths.WorkDir);
}

void Evaluate(Estimation& run) {
  Program& program = run.program;
  if (run.render.silenced) ReportAndLog(run, {"", SilenceLine(run.options.silence_limit_ms)});
  Report(program, {"", "Simulation finished!", ""});
  // Without an estimate the earlier log stays as it was.
  if (MadeAnEstimate(run)) {
    Report(program, {"Results have been written in:",
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
      ReportAndLog(run, TooBigLines(FileSizeMB(mxi), limit));
      Fail(run, "TORVAmeter warning: MXI too big!", TooBigMessage(record.mxi_size_mb, limit));
      record.outcome = "mxi too big";
      return;
    case MxiVerdict::kNotProduced:
      ReportAndLog(run, NotProducedLines());
      Fail(run, "TORVAmeter error: MXI file not found!",
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
  record.speed_ratio = SpeedRatio(program.state, project.mode);
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
    Fail(run, "TORVAmeter error", "The estimation log " + run.log_path + " cannot be written.");
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
  ReportLine(run.program, "");
  RemoveOwnFolder(run.program.paths.WorkDir);
}

}  // namespace torva
