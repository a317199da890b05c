#include "estimate/estimation_names.h"
#include "estimate/estimation_questions.h"
#include "estimate/estimation_steps.h"
#include "estimate/unpacking.h"
#include "platform/folders.h"
#include "renderer/command_lines.h"
#include "renderer/render_limits.h"
#include "text/numbers.h"
#include "text/paths.h"

namespace torva {

Next ChooseProject(Estimation& run) {
  Desktop& desktop = run.desktop;
  const AppPaths& paths = run.paths;
  Project& project = run.project;
  std::optional<std::string> vum = desktop.ChooseFile(
      QuestionId::kProjectArchive, "Choose a vum project to estimate: ", paths.ArchiveDir + "/",
      "vum archive (*.vum)|*.vum");
  if (!vum || vum->empty()) return Next::GiveUp();
  project.vum_path = *vum;
  MakeFolderIfMissing(paths.EstimateDir);
  // The camera's size is the likely answer: the boxes start with it.
  const std::optional<CameraSize> camera = CameraSizeInArchive(run, project.vum_path);
  if (run.state.quit_requested) return Next::GiveUp();
  desktop.ClearLog();
  auto cancelled = [&] {
    desktop.AddLogLine(0, "The estimation was cancelled.");
    return Next::GiveUp();
  };

  const std::string range = " resolution (" + std::to_string(kMinRenderSide) + "-" +
                            std::to_string(kMaxRenderSide) + " pix)";
  std::optional<int> width =
      AskResolution(desktop, QuestionId::kProjectWidth, "Project X (width) resolution",
                    "Enter the X" + range, camera ? std::to_string(camera->width) : "");
  if (!width) return cancelled();
  std::optional<int> height =
      AskResolution(desktop, QuestionId::kProjectHeight, "Project Y (height) resolution",
                    "Enter the Y" + range, camera ? std::to_string(camera->height) : "");
  if (!height) return cancelled();
  project.width = *width;
  project.height = *height;
  project.resolution = ResolutionText(project.width, project.height);
  std::string& last_sl = run.state.LastSamplingLevel;
  std::optional<SamplingLevelAnswer> sl = AskSamplingLevel(desktop, last_sl);
  if (!sl) return cancelled();
  project.target_sl = sl->level;
  project.sl_answer = sl->typed;
  last_sl = sl->typed;
  return Next::GoOn();
}

void OpenLog(Estimation& run) {
  const Project& project = run.project;
  run.log_name = EstimateLogName(ArchiveBase(project.vum_path), project.resolution,
                                 project.sl_answer, project.mode);
  run.log_path = run.paths.EstimateDir + "/" + run.log_name;
  run.log.Create(run.log_path);  // a log that cannot be made drops its lines; the run goes on
  run.log.Write("Project \"" + FileNameOf(project.vum_path) + "\" " + ModeName(project.mode) +
                " estimation.");
  run.log.Write("");
  run.log.Write("Project resolution: " + project.resolution);
  run.log.Write("Desired Sampling Level: " + FormatFixed(project.target_sl, 2));
}

}  // namespace torva
