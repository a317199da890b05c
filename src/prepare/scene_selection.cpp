#include "desktop/titles.h"
#include "prepare/preparation_steps.h"
#include "prepare/scene_name.h"

namespace torva {

Next ChooseScene(Preparation& preparation) {
  for (;;) {
    std::optional<std::string> path = preparation.desktop.ChooseFile(
        QuestionId::kScene, "Choose the MXS scene to process", preparation.state.LastDir,
        "Maxwell Render scene (*.mxs)|*.mxs");
    if (!path || path->empty()) return Next::GiveUp();
    if (IsSceneFile(*path)) {
      preparation.scene_path = *path;
      return Next::GoOn();
    }
  }
}

void NameSceneInProject(Preparation& preparation) {
  const std::string& scene_path = preparation.scene_path;
  const std::string blank_free = BlankFreePath(scene_path);
  const std::string project_path = ShortenedPath(blank_free);
  preparation.project_scene_file = FileNameOf(project_path);
  preparation.scene_name = SceneNameOf(project_path);
  const std::string named = ": the scene is named " + preparation.project_scene_file +
                            " in the project (your scene file keeps its name)";
  if (blank_free != scene_path) {
    preparation.desktop.Message(
        kWarningTitle,
        "Spaces are not allowed in the scene name, they are replaced by '_'" + named);
  }
  if (project_path != blank_free) {
    preparation.desktop.Message(kWarningTitle,
                                "For compatibility reasons (command-line length), the\rscene "
                                "name is truncated to 24 characters" +
                                    named);
  }
}

}  // namespace torva
