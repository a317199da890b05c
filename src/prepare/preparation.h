// What the steps of "Prepare project" hand on to each other.
#pragma once

#include <optional>
#include <string>

#include "app/globals.h"
#include "prepare/project_log.h"

namespace torva {

struct Preparation {
  std::string scene_path;
  std::string scene_name;  // the file name without ".mxs"
  int dependency_count = 0;  // entries of the project folder, the scene included
  long long project_size = 0;  // their bytes
  ProjectLog log;
};

// Reports `text` as the next LogPanel line and writes it into the project log.
inline void ReportAndLog(Program& program, Preparation& preparation, const std::string& text) {
  ReportLine(program, text);
  preparation.log.Write(text);
}

// The steps, in the order the command runs them.
// Shows the scene dialog until a scene is chosen; nullopt when cancelled.
std::optional<std::string> ChooseScene(Program& program);
// Renames the scene so that its name holds no blank or quote and at most 24
// characters. False when a rename could not be done (the user was told).
bool MakeSceneNameSafe(Program& program, std::string& scene_path);
void GatherDependencies(Program& program, Preparation& preparation);
void ChooseCameras(Program& program, Preparation& preparation);
void PackProject(Program& program, Preparation& preparation);

}  // namespace torva
