#include "estimate/estimation_run.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include "estimate/estimate_names.h"
#include "estimate/estimate_questions.h"
#include "estimate/estimation_record.h"
#include "estimate/extrapolation.h"
#include "estimate/prediction_plot.h"
#include "estimate/preview_size.h"
#include "estimate/work_folder.h"
#include "platform/buttons_disabled.h"
#include "platform/line_log.h"
#include "renderer/command_lines.h"
#include "renderer/output_lines.h"
#include "renderer/process.h"
#include "state/renderer_check.h"
#include "text/file_size.h"
#include "text/numbers.h"
#include "text/time_text.h"

namespace torva {

namespace {

using Clock = std::chrono::steady_clock;

// What one run knows about its project once the questions are answered.
struct Project {
  RenderMode mode = RenderMode::kCpu;
  std::string vum_path;
  int width = 0, height = 0;
  std::string resolution;
  int target_sl = 0;
  std::string sl_answer;
  std::string scene_file;
  std::string scene_base;
};

// The values the monitoring loop fills.
struct Monitor {
  int estimation_count = 0;
  std::string time_left_text;
  std::string sl_text;
  std::string farm_time_text;
  bool stop_requested = false;
  bool quit = false;  // the user chose to stop and quit
  double render_seconds = 0;
  std::vector<Prediction> predictions;
};

void Report(Program& program, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) ReportLine(program, line);
}

bool BenchmarkDone(const State& state, RenderMode mode) {
  return mode == RenderMode::kGpu ? state.GpuFarmSpeedRatio != 0 && state.GpuDeltaSL != 0
                                    : state.FarmSpeedRatio != 0 && state.DeltaSL != 0;
}

float SpeedRatio(const State& state, RenderMode mode) {
  return mode == RenderMode::kGpu ? state.GpuFarmSpeedRatio : state.FarmSpeedRatio;
}

FarmPrice PriceFor(const Constants& constants, RenderMode mode) {
  return mode == RenderMode::kGpu
             ? FarmPrice{constants.FarmGpuUnits, static_cast<float>(constants.FarmGpuUnitPrice)}
             : FarmPrice{constants.FarmCpuUnits, constants.FarmCpuUnitPrice};
}

// Why an archive was not unpacked: nothing (it was), or the message to show.
using UnpackFailure = std::optional<std::string>;

constexpr const char* kCannotUncompress = "The project archive cannot be uncompressed!";

// Whether 7za's run went well: exit status 0, a warning (1), or errors that
// are all links it refused to restore (links are removed anyway). Anything
// else, a full disk or a wrong password among them, is a failure.
bool ArchiverSucceeded(int status, const std::vector<std::string>& lines) {
  if (status < 0 || status > 2) return false;
  if (status < 2) return true;
  int refused_links = 0;
  for (const std::string& line : lines) {
    if (!line.starts_with("ERROR: ")) continue;
    if (line.find("Dangerous link path was ignored") == std::string::npos) return false;
    ++refused_links;
  }
  return refused_links > 0;
}

// Runs 7za with `arguments` (its errors on standard output), the window kept
// alive; its lines, or nullopt when it failed.
std::optional<std::vector<std::string>> RunArchiver(Program& program,
                                                    std::vector<std::string> arguments) {
  arguments.push_back("-bse1");
  std::vector<std::string> lines;
  ExternalProcess archiver =
      ExternalProcess::Launch(program.paths.AppDir + "/7za", arguments, program.paths.AppDir);
  WatchRun(archiver, program.desktop, [](const Event&) { return RunAction::kGoOn; },
           [&](const std::string& line) {
             lines.push_back(line);
             return RunAction::kGoOn;
           },
           WatchOptions{.pause = false});
  if (!ArchiverSucceeded(archiver.ExitCode(), lines)) return std::nullopt;
  return lines;
}

std::string WholeMBText(std::uintmax_t bytes) { return std::to_string(bytes / 1024 / 1024) + " MB"; }

// 7za unpacks every file flat into a work folder emptied first, so that
// nothing of an earlier run that never finished is taken for this project.
// Only a plain file is opened (a pipe would hang the archiver), an archive
// whose files would not fit on the disk is refused before it fills it, and
// whatever the archive holds that is not a plain file (links above all) is
// removed before anything reads or writes there.
UnpackFailure Unpack(Program& program, const std::string& vum_path) {
  const std::string& work_dir = program.paths.WorkDir;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(vum_path, ec)) return kCannotUncompress;
  if (!MakeEmptyWorkFolder(work_dir)) return kCannotUncompress;
  const std::optional<std::vector<std::string>> listing =
      RunArchiver(program, {"l", "-slt", vum_path});
  const std::optional<std::uintmax_t> needed = listing ? ListedBytes(*listing) : std::nullopt;
  if (!needed) return kCannotUncompress;
  const std::filesystem::space_info space = std::filesystem::space(work_dir, ec);
  if (!ec && *needed > space.available) {
    return "The project archive needs " + WholeMBText(*needed) +
           " once uncompressed, more than the " + WholeMBText(space.available) +
           " free on the disk of " + work_dir + ".";
  }
  const bool unpacked = RunArchiver(program, {"e", "-y", vum_path, "-o" + work_dir}).has_value();
  RemoveUnsafeEntries(work_dir);
  if (!unpacked) return kCannotUncompress;
  return std::nullopt;
}

void AbandonUnpacked(Program& program, LineLog& log, const std::string& title,
                     const std::string& text) {
  program.desktop.Message(title, text);
  program.desktop.ClearLog();
  RemoveWorkFolder(program.paths.WorkDir);
  log.Close();
}

void WarnAboutTheProject(Program& program) {
  const std::string& work_dir = program.paths.WorkDir;
  if (CountActiveCameras(work_dir + "/cameras.txt") > 1) {
    program.desktop.Message("TORVAmeter warning",
                            "This is a multi-camera project.\nThe estimation will process THE "
                            "ACTIVE CAMERA ONLY!\nTo estimate the whole project, multiply by the "
                            "number of cameras.");
  }
  std::error_code ec;
  if (!std::filesystem::exists(work_dir + "/TORVAmeter_Maxwell.log", ec)) {
    program.desktop.Message("TORVAmeter warning",
                            "This project has not been prepared by TORVAmeter. The estimation "
                            "may or may not work.");
  }
}

void Announce(Program& program, LineLog& log, const Project& project) {
  const std::string running =
      "Simulation is running for project \"" + project.scene_file + "\", please wait...";
  const std::string target = "Time to reach SL = " + FormatFixed(project.target_sl, 2) +
                             (project.mode == RenderMode::kGpu ? " (with 14 GPU nodes) below:"
                                                                 : " (with 32 CPU nodes) below:");
  Report(program, {"", "<< CLICK ON THE 'ESTIMATE PROJECT' BUTTON TO GO TO PHASE 2 >>",
                   "<<              AFTER AT LEAST ONE ESTIMATION IS DONE            >>", "",
                   running, "", target, ""});
  for (const std::string& line : {running, std::string(), target, std::string()}) log.Write(line);
}

// Beside the main window, or below it when the screen is too narrow, so that
// the stop button stays in sight. Closing it is a stop request.
std::optional<WindowId> OpenPreview(Desktop& desktop, const Project& project,
                                    const PreviewSize& size) {
  const Rect main = desktop.MainWindowFrame();
  const Rect screen = desktop.ScreenArea();
  WindowLayout layout;
  layout.kind = WindowKind::kPicture;
  layout.title = "TORVAmeter estimation running... (real size " + project.resolution + ")";
  layout.width = size.window_width;
  layout.height = size.window_height;
  layout.closable = true;
  layout.x = main.x + main.width + 7;
  layout.y = main.y;
  const bool fits_beside = *layout.x + layout.width <= screen.x + screen.width;
  const bool fits_below = main.y + main.height + 7 + layout.height <= screen.y + screen.height;
  if (!fits_beside && fits_below) {
    layout.x = main.x;
    layout.y = main.y + main.height + 7;
  }
  return desktop.OpenWindow(layout);
}

// A picture that cannot be read leaves the previous one in place.
void RefreshPreview(Program& program, std::optional<WindowId> preview, const Project& project,
                    const PreviewSize& size, const std::string& sl_text) {
  if (!preview) return;
  std::optional<Picture> image =
      LoadJpeg(program.paths.WorkDir + "/" + project.scene_base + ".jpg");
  if (!image) return;
  Picture shown = ScalePicture(*image, size.picture_width, size.picture_height);
  shown.source = image->source;
  DrawCaption(shown, "Current SL = " + sl_text, 10, size.caption_y, Colour{255, 255, 255},
              Colour{0, 0, 0});
  program.desktop.ShowPicture(*preview, 0, 0, shown);
}

// The render, watched until it ends; a click on "Estimate project" or a close
// of the preview stops it once at least one estimation has been shown. Each
// farm time is the whole render the renderer predicts (the time rendered so
// far plus the time left) divided by the speed ratio.
void WatchTheRender(Program& program, LineLog& log, const Project& project,
                    ExternalProcess& renderer, std::optional<WindowId> preview,
                    const PreviewSize& size, const EstimationOptions& options, Monitor& monitor) {
  const float ratio = SpeedRatio(program.state, project.mode);
  const Clock::time_point start = Clock::now();
  Clock::time_point last_estimate = start;
  auto since_start = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  RenderProgress progress;
  auto on_event = [&](const Event& event) {
    if (event.type == EventType::kCloseWindow && event.window == kMainWindow) {
      monitor.quit = ConfirmQuit(program, "the estimation");
      return monitor.quit ? RunAction::kClose : RunAction::kGoOn;
    }
    const bool stop_click = event.type == EventType::kGadget && event.gadget == kEstimateProject;
    const bool preview_closed =
        event.type == EventType::kCloseWindow && preview && event.window == *preview;
    if (!stop_click && !preview_closed) return RunAction::kGoOn;
    if (monitor.estimation_count >= 1) {
      monitor.stop_requested = true;
      return RunAction::kStop;
    }
    Report(program, {"At least one estimation is needed before you can stop the simulation...",
                     "The more estimations are done, the more reliable the test.", ""});
    return RunAction::kGoOn;
  };
  auto on_line = [&](const std::string& line) {
    const ProgressLine kind = progress.Take(line, since_start());
    if (kind.kind == ProgressLineKind::kTimeLeft) {
      const TimeLeftReading& reading = *progress.latest();
      last_estimate = Clock::now();
      ++monitor.estimation_count;
      monitor.time_left_text = reading.time_left_text;
      monitor.farm_time_text = ScaleSeconds(reading.WholeSeconds(), ratio);
      const std::string estimate =
          EstimateLine(monitor.sl_text, monitor.farm_time_text, monitor.time_left_text);
      ReportLine(program, estimate);
      log.Write(estimate);
      monitor.predictions.push_back({since_start(), monitor.sl_text, monitor.time_left_text,
                                     reading.time_left_seconds, monitor.farm_time_text,
                                     ParseTimeText(monitor.farm_time_text),
                                     reading.rendered_seconds});
    } else if (kind.kind == ProgressLineKind::kSamplingLevel) {
      monitor.sl_text = progress.sl_text();
      RefreshPreview(program, preview, project, size, monitor.sl_text);
    }
    return RunAction::kGoOn;
  };
  // A renderer that stays quiet is stopped, as if by the user.
  WatchOptions watch;
  watch.on_pass = [&] {
    const bool silent = Clock::now() - last_estimate >
                        std::chrono::milliseconds(options.silence_limit_ms);
    return silent ? RunAction::kStop : RunAction::kGoOn;
  };
  WatchRun(renderer, program.desktop, on_event, StoringEachLine(program.state.OutputLine, on_line),
           watch);
  monitor.render_seconds = since_start();
}

// The MXI file's verdict and, when it passes, the price of the latest prediction.
void Evaluate(Program& program, LineLog& log, const Project& project,
              const Monitor& monitor, EstimationRecord& record) {
  const std::string mxi = program.paths.WorkDir + "/" + project.scene_base + ".mxi";
  const long long limit = program.constants.MxiSizeLimitMB;
  record.mxi_bytes = PlainFileBytes(mxi);
  record.mxi_size_mb = WholeMiB(record.mxi_bytes);
  record.mxi_size_limit_mb = limit;
  switch (JudgeMxi(record.mxi_size_mb, limit)) {
    case MxiVerdict::kTooBig: {
      const std::vector<std::string> lines = TooBigLines(FileSizeMB(mxi), limit);
      for (const std::string& line : lines) log.Write(line);
      Report(program, lines);
      program.desktop.Message("TORVAmeter warning: MXI too big!",
                              TooBigMessage(record.mxi_size_mb, limit));
      record.outcome = "mxi too big";
      return;
    }
    case MxiVerdict::kNotProduced: {
      const std::vector<std::string> lines = NotProducedLines();
      for (const std::string& line : lines) log.Write(line);
      Report(program, lines);
      program.desktop.Message("TORVAmeter error: MXI file not found!",
                              "Make sure the scene is compatible with your Maxwell version and "
                              "has no error.");
      record.outcome = "mxi not produced";
      return;
    }
    case MxiVerdict::kAccepted: {
      if (monitor.predictions.empty()) {
        // Without a prediction there is no farm time to price.
        const std::string why =
            "Maxwell Render gave no estimation of the time left, so the project could not be "
            "priced.";
        log.Write(why);
        Report(program, {why});
        program.desktop.Message("TORVAmeter error", why);
        record.outcome = "not priced";
        return;
      }
      const float cost = FarmCost(monitor.farm_time_text, PriceFor(program.constants, project.mode));
      const std::string cost_text = CostText(cost);
      Report(program, CostPanelLines(cost_text, project.mode));
      for (const std::string& line : CostLogLines(cost_text, project.mode)) log.Write(line);
      record.outcome = "priced";
      record.cost = cost;
      return;
    }
  }
}

// The record and the picture of the predictions, beside the log.
void KeepTheRecord(Program& program, const std::string& log_path, const Project& project,
                   const Monitor& monitor, EstimationRecord& record) {
  const std::string stem = log_path.substr(0, log_path.size() - 4);  // without ".log"
  const FarmPrice price = PriceFor(program.constants, project.mode);
  record.archive = FileNameOf(project.vum_path);
  record.scene = project.scene_file;
  record.mode = project.mode;
  record.width = project.width;
  record.height = project.height;
  record.target_sl = project.target_sl;
  record.renderer_version = program.state.RendererVersion;
  record.speed_ratio = SpeedRatio(program.state, project.mode);
  record.stopped_by_user = monitor.stop_requested;
  record.render_seconds = monitor.render_seconds;
  record.predictions = monitor.predictions;
  record.price_per_farm_hour = price.units * static_cast<double>(price.unit_price);
  WriteRecord(record, stem + ".json");
  if (DrawPredictionPlot(monitor.predictions,
                         "Farm time predicted for " + record.archive + " (" +
                             ModeName(project.mode) + ", SL " +
                             std::to_string(project.target_sl) + ")",
                         stem + ".png")) {
    program.desktop.Open(stem + ".png");
  }
}

}  // namespace

void RunEstimation(Program& program, const EstimationOptions& options) {
  Desktop& desktop = program.desktop;
  const AppPaths& paths = program.paths;
  State& state = program.state;
  Project project;

  // Checking.
  const RendererCheck renderer_check = CheckRenderer(program);
  if (renderer_check == RendererCheck::kInstallationGone)
    EndProgramAfter(desktop, GiveUpOnInstallation(program));
  if (state.GpuCapable &&
      desktop.Question("Estimation type", "Is this scene designed for GPU rendering?")) {
    project.mode = RenderMode::kGpu;
  }
  if (renderer_check == RendererCheck::kTooOld) {
    desktop.Message("TORVAmeter error", "Your Maxwell Render version is " + state.RendererVersion +
                                            ".\nTORVAmeter needs at least Maxwell Render 2.0.2.0 "
                                            "to run the estimator.");
    return;
  }
  if (!BenchmarkDone(state, project.mode)) {
    desktop.Message("TORVAmeter error",
                    "Before doing an estimation, you must run the benchmark on your system!\n"
                    "Click on the 'Benchmark' button below to do so.");
    return;
  }

  // Choosing.
  std::optional<std::string> vum = desktop.ChooseFile(
      "Choose a vum project to estimate: ", paths.AppDir + "/archive/", "vum archive (*.vum)|*.vum");
  if (!vum || vum->empty()) return;
  project.vum_path = *vum;
  std::error_code ec;
  std::filesystem::create_directories(paths.EstimateDir, ec);
  desktop.ClearLog();
  std::filesystem::create_directories(paths.WorkDir, ec);

  std::optional<int> width = AskResolution(desktop, "Project X (width) resolution",
                                           "Enter the X resolution (400-32768 pix)");
  if (!width) return;
  std::optional<int> height = AskResolution(desktop, "Project Y (height) resolution",
                                            "Enter the Y resolution (400-32768 pix)");
  if (!height) return;
  project.width = *width;
  project.height = *height;
  project.resolution = ResolutionText(project.width, project.height);
  std::optional<SamplingLevelAnswer> sl = AskSamplingLevel(desktop);
  if (!sl) return;
  project.target_sl = sl->level;
  project.sl_answer = sl->typed;

  // Unpacking.
  const std::string log_name = EstimateLogName(ArchiveBase(project.vum_path), project.resolution,
                                               project.sl_answer, project.mode);
  const std::string log_path = paths.EstimateDir + "/" + log_name;
  ButtonsDisabled greyed(desktop, kEstimateProject);
  LineLog log;
  log.Open(log_path);  // a log that cannot be made drops its lines; the run goes on
  log.Write("Project \"" + FileNameOf(project.vum_path) + "\" " + ModeName(project.mode) +
            " estimation.");
  log.Write("");
  log.Write("Project resolution: " + project.resolution);
  log.Write("Desired Sampling Level: " + FormatFixed(project.target_sl, 2));

  state.LogLine = 0;
  desktop.AddLogLine(0, "TORVAmeter is uncompressing the project, please wait...");
  if (const UnpackFailure failure = Unpack(program, project.vum_path)) {
    AbandonUnpacked(program, log, "TORVAmeter error", *failure);
    return;
  }
  const std::optional<std::string> scene = FindScene(paths.WorkDir, ArchiveBase(project.vum_path));
  if (!scene) {
    AbandonUnpacked(program, log, "TORVAmeter error", kCannotUncompress);
    return;
  }
  project.scene_file = *scene;
  project.scene_base = SceneBase(project.scene_file);
  WarnAboutTheProject(program);

  // Rendering. An MXI or picture that came with the archive must not be
  // taken for the renderer's own.
  Announce(program, log, project);
  std::filesystem::remove(paths.WorkDir + "/" + project.scene_base + ".mxi", ec);
  std::filesystem::remove(paths.WorkDir + "/" + project.scene_base + ".jpg", ec);
  state.OutputLine.clear();
  Monitor monitor;
  ExternalProcess renderer = ExternalProcess::Launch(
      RendererExecutable(state.MaxwellDir),
      EstimationArguments(project.mode, paths.WorkDir, project.scene_file, project.scene_base,
                          project.resolution, project.target_sl),
      state.MaxwellDir);
  const PreviewSize preview_size = PreviewFor(project.width, project.height, desktop.ScreenArea());
  const std::optional<WindowId> preview = OpenPreview(desktop, project, preview_size);
  WatchTheRender(program, log, project, renderer, preview, preview_size, options, monitor);

  // Evaluating.
  if (preview) {
    desktop.RemovePictures(*preview);
    desktop.CloseWindow(*preview);
  }
  if (monitor.quit) {
    // Nothing half-written stays behind: no log without its verdict.
    log.Close();
    std::filesystem::remove(log_path, ec);
    RemoveWorkFolder(paths.WorkDir);
    return;
  }
  Report(program, {"", "Simulation finished!", "", "Results have been written in:",
                   "   \"" + log_name + "\" ('/estimate/' subfolder).", ""});
  log.Write(std::string(ModeName(project.mode)) + " simulation finished!");
  log.Write("");
  EstimationRecord record;
  Evaluate(program, log, project, monitor, record);
  KeepTheRecord(program, log_path, project, monitor, record);

  // Cleaned.
  ReportLine(program, "");
  RemoveWorkFolder(paths.WorkDir);
  log.Close();
}

}  // namespace torva
