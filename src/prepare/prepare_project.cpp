#include "prepare/prepare_project.h"

#include <filesystem>

#include "platform/buttons_disabled.h"
#include "platform/own_folder.h"
#include "prepare/preparation.h"
#include "prepare/scene_name.h"

namespace torva {

void RunPrepareProject(Program& program) {
  const std::optional<std::string> chosen = ChooseScene(program);
  if (!chosen) return;

  ButtonsDisabled greyed(program.desktop, kPrepareProject);
  program.desktop.ClearLog();
  program.state.LogLine = 0;
  program.state.LastDir = FolderOf(*chosen);

  Preparation preparation;
  preparation.scene_path = *chosen;
  if (!MakeSceneNameSafe(program, preparation.scene_path)) return;

  const Next gathered = GatherDependencies(program, preparation);
  if (gathered.kind == Next::kEndProgram) EndProgramAfter(program.desktop, gathered);
  if (gathered.kind == Next::kGiveUp || !CheckSameNames(program, preparation) ||
      !ChooseCameras(program, preparation) || !PackProject(program, preparation))
    GiveUpPreparation(program, preparation);
}

void GiveUpPreparation(Program& program, Preparation& preparation) {
  preparation.log.Close();
  std::error_code ec;
  std::filesystem::remove(program.paths.AppDir + "/TORVAmeter_Maxwell.log", ec);
  RemoveOwnFolder(ProjectFolder(program.paths));
  ReportLine(program, "The preparation has been cancelled, nothing has been packed.");
}

}  // namespace torva
