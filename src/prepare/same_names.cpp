#include <filesystem>

#include "desktop/titles.h"
#include "prepare/dependency_sources.h"
#include "prepare/gather_script.h"
#include "prepare/preparation_steps.h"
#include "prepare/scene_name.h"
#include "renderer/command_lines.h"
#include "renderer/process.h"
#include "text/whole_file.h"

namespace torva {

Next CheckSameNames(Preparation& preparation) {
  if (!preparation.Gathered()) return Next::GoOn();  // nothing to pack
  namespace fs = std::filesystem;
  const std::string script_path = preparation.paths.AppDir + "/TORVASources.ms";
  const bool written = WriteWholeFile(script_path, SourcesScript(preparation.scene_path));

  SourcesReader reader;
  int exit_code = -1;
  std::string start_failure;
  if (written) {
    ExternalProcess renderer =
        preparation.runner.Launch(RendererExecutable(preparation.state.MaxwellDir),
                                  GatherArguments(script_path), preparation.state.MaxwellDir);
    const RunEnd end = WatchRun(
        renderer, preparation.desktop,
        [&](const Event& event) { return QuitRule(preparation, event); },
        [&](const std::string& line) {
          reader.Read(line);
          return RunAction::kGoOn;
        },
        WatchOptions{.pause = false, .line_bytes = true});
    std::error_code ec;
    fs::remove(script_path, ec);
    if (end == RunEnd::kCloseRequested) return Next::GiveUp();
    exit_code = renderer.ExitCode();
    start_failure = StartFailureText("Maxwell Render", renderer.StartError());
  }
  if (exit_code != 0) {
    preparation.desktop.Message(
        kWarningTitle,
        "TORVAmeter could not check whether files of the same name come from different "
        "folders. If they do, only one of each name will be sent to the farm." +
            DetailLine(start_failure));
    return Next::GoOn();
  }

  const std::string scene_folder = FolderOf(preparation.scene_path);
  // The scene is copied first, under its name in the project, which a
  // dependency may share.
  std::vector<std::pair<std::string, std::string>> copies = {
      {preparation.project_scene_file, preparation.scene_path}};
  for (const RecordedDependency& dependency : reader.dependencies())
    copies.emplace_back(ProjectName(dependency.recorded),
                        CopiedFrom(dependency, scene_folder, preparation.found_by_hand));
  const std::vector<SameNameFiles> clashes =
      DifferingSameNameFiles(copies, preparation.paths.TempDir);
  return Next::GoOnIf(clashes.empty() ||
                      preparation.desktop.QuestionDefaultNo(QuestionId::kSameNames, kWarningTitle,
                                                            SameNameQuestion(clashes)));
}

}  // namespace torva
