// What the steps of "Prepare project" hand on to each other.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "prepare/prepare_project.h"
#include "prepare/project_log.h"
#include "renderer/process.h"
#include "state/next.h"
#include "state/program.h"

namespace torva {

struct Preparation {
  std::string scene_path;
  std::string scene_name;      // the file name without ".mxs"
  int dependency_count = 0;    // entries of the project folder, the scene included
  long long project_size = 0;  // their bytes
  // The renderer died while gathering (a signal, or a status of 128 or more
  // as a shell reports one): the files it left may not be all.
  bool renderer_crashed = false;
  int renderer_start_error = 0;  // why it could not be started (errno), or 0

  // Whether there is a whole project to pack.
  bool Gathered() const { return dependency_count > 0 && !renderer_crashed; }
  std::map<std::string, std::string> found_by_hand;  // missing name -> the file picked
  ProjectLog log;
  PreparationOutcome outcome;
};

// The error box, which is also why the preparation failed.
inline void Fail(Program& program, Preparation& preparation, const std::string& text) {
  program.desktop.Message("TORVAmeter error", text);
  preparation.outcome.Fail(text);
}

// Reports `text` as the next LogPanel line and writes it into the project log.
inline void ReportAndLog(Program& program, Preparation& preparation, const std::string& text) {
  ReportLine(program, text);
  preparation.log.Write(text);
}

// What every watched run of the preparation does with a window event: a close
// request of the main window asks whether to stop and quit.
inline RunAction QuitRule(Program& program, const Event& event) {
  return CloseAsksToQuit(program, event, "the preparation of the project");
}

// The flat folder the scene's files are gathered in, without a final "/".
inline std::string ProjectFolder(const AppPaths& paths) { return paths.AppDir + "/temp"; }
// Removes what a packing that was killed left in the archive folder.
void RemovePackingLeftovers(const AppPaths& paths);

// The steps, in the order the command runs them. A step that returns false
// (or kGiveUp) has been given up by the user (quit, cancel); GiveUpPreparation
// then leaves nothing of it behind.
// Shows the scene dialog until a scene is chosen; nullopt when cancelled.
std::optional<std::string> ChooseScene(Program& program);
// Renames the scene so that its name holds no blank or quote and at most 24
// characters. False when a rename could not be done (the user was told).
bool MakeSceneNameSafe(Program& program, Preparation& preparation);
// Ends the program when its script cannot be written or a missing file is
// not found by the user; gives up when a folder of the user's stands where
// the project folder goes.
Next GatherDependencies(Program& program, Preparation& preparation);
// Asks whether to go on when files of one name but different bytes met in
// the flat project folder.
bool CheckSameNames(Program& program, Preparation& preparation);
bool ChooseCameras(Program& program, Preparation& preparation);
bool PackProject(Program& program, Preparation& preparation);

// Removes the project folder and the project log; nothing is packed and an
// earlier archive stays as it was.
void GiveUpPreparation(Program& program, Preparation& preparation);
// The same without a word, for a preparation that ends otherwise.
void RemoveWorkFiles(Program& program);

}  // namespace torva
