#include "prepare/prepare_project.h"

#include <filesystem>

#include "desktop/buttons_disabled.h"
#include "platform/own_folder.h"
#include "prepare/preparation.h"
#include "prepare/scene_name.h"

namespace torva {
namespace {

// The project folder and the project log go on every way out that skips the
// steps' own clean-up: the end of the program after a missing file, a
// failure thrown from a step.
class LeftoversRemoved {
 public:
  LeftoversRemoved(Program& program, Preparation& preparation)
      : program_(program), preparation_(preparation) {}
  ~LeftoversRemoved() {
    if (!armed_) return;
    preparation_.log.Close();
    RemoveWorkFiles(program_);
  }
  LeftoversRemoved(const LeftoversRemoved&) = delete;
  LeftoversRemoved& operator=(const LeftoversRemoved&) = delete;
  void Disarm() { armed_ = false; }

 private:
  Program& program_;
  Preparation& preparation_;
  bool armed_ = true;
};

}  // namespace

PreparationOutcome RunPrepareProject(Program& program) {
  const std::optional<std::string> chosen = ChooseScene(program);
  if (!chosen) {
    PreparationOutcome cancelled;
    cancelled.ending = Outcome::Ending::kCancelled;
    return cancelled;
  }

  ButtonsDisabled greyed(program.desktop, kPrepareProject);
  program.desktop.ClearLog();
  program.state.LogLine = 0;
  program.state.LastDir = FolderOf(*chosen);

  Preparation preparation;
  preparation.scene_path = *chosen;
  if (!MakeSceneNameSafe(program, preparation)) return preparation.outcome;
  preparation.outcome.scene = preparation.scene_path;

  LeftoversRemoved leftovers(program, preparation);
  const Next gathered = GatherDependencies(program, preparation);
  if (gathered.kind == Next::kEndProgram) EndProgramAfter(program.desktop, gathered);
  // The packing cleans up itself, and leaves the project folder to be packed
  // by hand when the archiver is missing.
  if (gathered.kind != Next::kGiveUp && CheckSameNames(program, preparation) &&
      ChooseCameras(program, preparation) && PackProject(program, preparation)) {
    leftovers.Disarm();
  } else {
    GiveUpPreparation(program, preparation);
    // What was not a failure was the user's choice: a question declined, a
    // window cancelled, or the program quit.
    if (preparation.outcome.Finished())
      preparation.outcome.ending =
          program.quit_requested ? Outcome::Ending::kQuit : Outcome::Ending::kCancelled;
  }
  preparation.outcome.cameras = program.state.CameraLines;
  return preparation.outcome;
}

void RemoveWorkFiles(Program& program) {
  std::error_code ec;
  std::filesystem::remove(program.paths.AppDir + "/TORVAmeter_Maxwell.log", ec);
  RemoveOwnFolder(ProjectFolder(program.paths));
}

void GiveUpPreparation(Program& program, Preparation& preparation) {
  preparation.log.Close();
  RemoveWorkFiles(program);
  ReportLine(program, "The preparation has been cancelled, nothing has been packed.");
}

}  // namespace torva
