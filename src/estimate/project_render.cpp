#include <filesystem>

#include "estimate/estimation_names.h"
#include "estimate/estimation_steps.h"
#include "estimate/extrapolation.h"
#include "estimate/preview_size.h"
#include "renderer/command_lines.h"
#include "text/numbers.h"
#include "text/time_text.h"
#include "watch/preview_window.h"

namespace torva {
namespace {

void Announce(Estimation& run) {
  const Project& project = run.project;
  const std::string running =
      "Simulation is running for project \"" + project.scene_file + "\", please wait...";
  const std::string target = "Time to reach SL = " + FormatFixed(project.target_sl, 2) + " (with " +
                             std::to_string(FarmNodes(project.mode)) + " " +
                             ModeName(project.mode) + " nodes) below:";
  // Without a window nobody clicks: the stop rule ends the render.
  if (run.options.stop_rule)
    run.ReportLines({"", "The render stops by itself once it has run long enough.", ""});
  else
    run.ReportLines({"", "<< CLICK ON THE 'ESTIMATE PROJECT' BUTTON TO GO TO PHASE 2 >>",
                     "<<              AFTER AT LEAST ONE ESTIMATION IS DONE            >>", ""});
  run.ReportAndLog({running, "", target, ""});
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
  const float ratio = ResultsFor(run.state, run.project.mode).speed_ratio;
  const std::string farm_time_text = ScaleSeconds(reading.WholeSeconds(), ratio);
  const std::string estimate =
      EstimateLine(reading.sl_text, farm_time_text, FormatRendererTimeText(reading.WholeSeconds()));
  run.ReportAndLog({estimate});
  run.record.predictions.push_back({seconds, reading.sl_text, reading.sampling_level,
                                    reading.time_left_text, reading.time_left_seconds,
                                    farm_time_text, ParseTimeText(farm_time_text),
                                    reading.rendered_seconds});
}

}  // namespace

// An MXI or picture that came with the archive must not be taken for the
// renderer's own.
Next RenderProject(Estimation& run) {
  const Project& project = run.project;
  const std::string work_dir = run.paths.WorkDir;
  Announce(run);
  std::error_code ec;
  std::filesystem::remove(work_dir + "/" + project.scene_base + ".mxi", ec);
  std::filesystem::remove(work_dir + "/" + project.scene_base + ".jpg", ec);
  ExternalProcess renderer = run.runner.Launch(
      RendererExecutable(run.state.MaxwellDir),
      EstimationArguments(project.mode, work_dir, project.scene_file, project.scene_base,
                          project.resolution, project.target_sl),
      run.state.MaxwellDir);
  const PreviewSize size = PreviewFor(project.width, project.height, run.desktop.ScreenArea());
  PreviewWindow preview(run.desktop, PreviewLayoutFor(project, size),
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
  watch.confirm_quit = [&] { return run.ConfirmQuit("the estimation"); };
  watch.report = [&](const std::string& text) { run.Report(text); };
  watch.on_reading = [&](const TimeLeftReading& reading, double seconds) {
    TakePrediction(run, reading, seconds);
  };
  watch.on_sampling_level = [&](const std::string& sl_text) {
    preview.Refresh("Current SL = " + sl_text);
  };
  run.render = WatchRender(renderer, run.desktop, watch);
  return Next::GoOnIf(!run.render.quit);
}

}  // namespace torva
