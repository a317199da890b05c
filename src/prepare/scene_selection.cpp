#include "prepare/preparation_steps.h"
#include "prepare/scene_name.h"

namespace torva {

bool ChooseScene(Preparation& preparation) {
  Program& program = preparation.program;
  for (;;) {
    std::optional<std::string> path =
        program.desktop.ChooseFile(QuestionId::kScene, "Choose the MXS scene to process",
                                   program.state.LastDir, "Maxwell Render scene (*.mxs)|*.mxs");
    if (!path || path->empty()) return false;
    if (IsSceneFile(*path)) {
      preparation.scene_path = *path;
      return true;
    }
  }
}

namespace {

// The user's scene keeps its new name after the command; a file already
// standing under that name is never replaced.
bool RenameScene(Preparation& preparation, const std::string& new_path) {
  std::string& scene_path = preparation.scene_path;
  switch (RenameWithoutReplacing(scene_path, new_path)) {
    case RenameResult::kDone: scene_path = new_path; return true;
    case RenameResult::kTargetExists:
      preparation.Fail(
          "TORVAmeter error",
          "The scene \"" + FileNameOf(scene_path) + "\" has to be renamed to \"" +
              FileNameOf(new_path) +
              "\", but a file of that name already exists in "
              "its folder:\n" +
              FolderOf(scene_path) +
              "\nNothing has been renamed. Please rename the scene yourself and prepare it "
              "again.");
      return false;
    case RenameResult::kFailed: break;
  }
  preparation.Fail("TORVAmeter error",
                   "The scene \"" + FileNameOf(scene_path) + "\" cannot be renamed to \"" +
                       FileNameOf(new_path) + "\" in its folder:\n" + FolderOf(scene_path) +
                       "\nPlease rename the scene yourself and prepare it again.");
  return false;
}

}  // namespace

bool MakeSceneNameSafe(Preparation& preparation) {
  Program& program = preparation.program;
  const std::string& scene_path = preparation.scene_path;
  const std::string blank_free = BlankFreePath(scene_path);
  if (blank_free != scene_path) {
    if (!RenameScene(preparation, blank_free)) return false;
    program.desktop.Message("TORVAmeter warning",
                            "Spaces are not allowed in the scene name, they have been "
                            "replaced by '_'");
  }
  const std::string shortened = ShortenedPath(scene_path);
  if (shortened != scene_path) {
    if (!RenameScene(preparation, shortened)) return false;
    program.desktop.Message("TORVAmeter warning",
                            "For compatibility reasons (command-line length), the\rscene "
                            "name has been truncated to 24 characters");
  }
  return true;
}

}  // namespace torva
