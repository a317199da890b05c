// The steps of "Prepare project" over one shared struct, in the order the
// command runs them; each step says whether to go on.
#pragma once

#include <map>
#include <string>

#include "prepare/prepare_project.h"
#include "prepare/project_log.h"
#include "state/command_run.h"
#include "state/next.h"
#include "state/program.h"
#include "watch/window_events.h"

namespace torva {

struct Preparation : CommandRun<PreparationOutcome, ProjectLog> {
  explicit Preparation(Program& program_, PreparationOptions options_ = {})
      : CommandRun(program_), options(std::move(options_)) {}

  PreparationOptions options;
  std::string scene_path;          // the user's scene, which keeps its name
  std::string project_scene_file;  // the scene's name in the project, safe for the farm
  std::string scene_name;          // project_scene_file without ".mxs": the archive's name
  int dependency_count = 0;        // entries of the project folder, the scene included
  long long project_size = 0;      // their bytes
  // The renderer died while gathering (a signal, or a status of 128 or more
  // as a shell reports one): the files it left may not be all.
  bool renderer_crashed = false;
  int renderer_start_error = 0;  // why it could not be started (errno), or 0

  // Whether there is a whole project to pack.
  bool Gathered() const { return dependency_count > 0 && !renderer_crashed; }
  std::map<std::string, std::string> found_by_hand;  // missing name -> the file picked
};

// What every watched run of the preparation does with a window event: a close
// request of the main window asks whether to stop and quit.
inline RunAction QuitRule(Preparation& preparation, const Event& event) {
  return preparation.CloseAsksToQuit(event, "the preparation of the project");
}

// The flat folder the scene's files are gathered in: TempDir without its
// final "/".
inline std::string ProjectFolder(const AppPaths& paths) {
  return paths.TempDir.substr(0, paths.TempDir.size() - 1);
}
// Removes what a packing that was killed left in the archive folder.
void RemovePackingLeftovers(const AppPaths& paths);

// A step that gives up was given up by the user (quit, cancel) or refused
// with its reason in the outcome; GiveUpPreparation then leaves nothing of
// it behind.
// Shows the scene dialog until a scene is chosen.
Next ChooseScene(Preparation& preparation);
// Names the scene in the project: no blank and at most 24 characters, for
// the farm's command lines. The user's file is left as it is.
void NameSceneInProject(Preparation& preparation);
// Ends the program when its script cannot be written or a missing file is
// not found by the user; gives up when a folder of the user's stands where
// the project folder goes.
Next GatherDependencies(Preparation& preparation);
// Asks whether to go on when files of one name but different bytes met in
// the flat project folder.
Next CheckSameNames(Preparation& preparation);
Next ChooseCameras(Preparation& preparation);
Next PackProject(Preparation& preparation);

// Removes the project folder and the project log; nothing is packed and an
// earlier archive stays as it was.
void GiveUpPreparation(Preparation& preparation);
// The same without a word, for a preparation that ends otherwise.
void RemoveWorkFiles(const AppPaths& paths);

}  // namespace torva
