#include "prepare/prepare_project.h"

#include <filesystem>

#include "desktop/buttons_disabled.h"
#include "platform/own_folder.h"
#include "prepare/preparation_steps.h"
#include "prepare/scene_name.h"

namespace torva {
namespace {

// The project folder and the project log go on every way out that skips the
// steps' own clean-up: the end of the program after a missing file, a
// failure thrown from a step.
class LeftoversRemoved {
 public:
  explicit LeftoversRemoved(Preparation& preparation) : preparation_(preparation) {}
  ~LeftoversRemoved() {
    if (!armed_) return;
    preparation_.log.Close();
    RemoveWorkFiles(preparation_.paths);
  }
  LeftoversRemoved(const LeftoversRemoved&) = delete;
  LeftoversRemoved& operator=(const LeftoversRemoved&) = delete;
  void Disarm() { armed_ = false; }

 private:
  Preparation& preparation_;
  bool armed_ = true;
};

}  // namespace

PreparationOutcome RunPrepareProject(Program& program, const PreparationOptions& options) {
  Preparation preparation(program, options);
  if (!ChooseScene(preparation).GoesOn()) {
    preparation.outcome.ending = Outcome::Ending::kCancelled;
    return preparation.outcome;
  }

  ButtonsDisabled greyed(program.desktop, kPrepareProject);
  program.desktop.ClearLog();
  program.state.LogLine = 0;
  program.state.LastDir = FolderOf(preparation.scene_path);

  NameSceneInProject(preparation);
  preparation.outcome.scene = preparation.scene_path;

  LeftoversRemoved leftovers(preparation);
  Next next = GatherDependencies(preparation);
  if (next.GoesOn()) next = CheckSameNames(preparation);
  if (next.GoesOn()) next = ChooseCameras(preparation);
  if (next.GoesOn()) next = PackProject(preparation);
  if (next.kind == Next::kEndProgram) {
    EndProgramAfter(program.desktop, next, preparation.outcome);
    return preparation.outcome;
  }
  // The packing cleans up itself, and leaves the project folder to be packed
  // by hand when the archiver is missing.
  if (next.GoesOn()) {
    leftovers.Disarm();
  } else {
    GiveUpPreparation(preparation);
    // What was not a failure was the user's choice: a question declined, a
    // window cancelled, or the program quit.
    if (preparation.outcome.Finished())
      preparation.outcome.ending =
          program.state.quit_requested ? Outcome::Ending::kQuit : Outcome::Ending::kCancelled;
  }
  return preparation.outcome;
}

void RemoveWorkFiles(const AppPaths& paths) {
  std::error_code ec;
  std::filesystem::remove(paths.project_log, ec);
  RemoveOwnFolder(ProjectFolder(paths));
}

void GiveUpPreparation(Preparation& preparation) {
  preparation.log.Close();
  RemoveWorkFiles(preparation.paths);
  // A refusal has said why already; only a choice of the user's is a cancel.
  preparation.Report(preparation.outcome.ending == Outcome::Ending::kFailed
                         ? "Nothing has been packed."
                         : "The preparation has been cancelled, nothing has been packed.");
}

}  // namespace torva
