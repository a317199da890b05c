#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop/owned_window.h"
#include "desktop/titles.h"
#include "platform/work_file.h"
#include "prepare/camera_list.h"
#include "prepare/camera_script.h"
#include "prepare/preparation_steps.h"
#include "renderer/command_lines.h"
#include "renderer/process.h"
#include "text/whole_file.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadTemplate(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Why the cameras could not be listed, for the user.
std::string ListingFailure(int exit_code) {
  const std::string why = "Pymaxwell ended with exit status " + std::to_string(exit_code);
  return "The cameras of the scene could not be listed (" + why +
         "). The project will be prepared without its list of cameras.";
}

// Pymaxwell writes the cameras file; the window stays alive meanwhile. False
// when the user quit meanwhile. A run that failed leaves no file: a list cut
// short by an error would offer only some of the cameras, and the user is
// told. Without Pymaxwell (or a list) the step ends quietly: the project
// goes without the list.
bool ListCameras(Preparation& preparation, const std::string& cameras_file) {
  const AppPaths& paths = preparation.paths;
  const WorkFile script_file(paths.BenchDir + "/GetCameras_tmp.py");
  const std::string& script_path = script_file.path();
  const PymaxwellGeneration generation = PymaxwellGenerationFor(preparation.state.RendererVersion);
  std::error_code ec;
  fs::remove(script_path, ec);
  const std::string script = CameraScript({generation, preparation.state.MaxwellDir,
                                           ReadTemplate(paths.BenchDir + "/GetCameras.py"),
                                           preparation.scene_path, cameras_file});
  WriteWholeFile(script_path, script);  // a failure shows as Pymaxwell finding no script

  ExternalProcess pymaxwell = preparation.runner.Launch(
      PymaxwellExecutable(preparation.state.MaxwellDir),
      PymaxwellArguments(generation, script_path, preparation.scene_path, cameras_file),
      preparation.state.MaxwellDir);
  const RunEnd end = WatchRun(
      pymaxwell, preparation.desktop,
      [&](const Event& event) { return QuitRule(preparation, event); },
      [](const std::string&) { return RunAction::kGoOn; }, WatchOptions{.pause = false});
  if (end == RunEnd::kCloseRequested) return false;
  if (pymaxwell.ExitCode() != 0 && fs::exists(fs::symlink_status(cameras_file, ec))) {
    fs::remove(cameras_file, ec);
    const std::string failure = ListingFailure(pymaxwell.ExitCode());
    preparation.log.Write(failure);
    preparation.desktop.Message(kWarningTitle, failure);
  }
  return true;
}

struct CameraChoice {
  bool cancelled = false;
  std::optional<std::vector<bool>> ticks;  // nullopt: the window could not be opened
};

// The ticks of the check-box window, asked again until one box is ticked.
CameraChoice AskWhichCameras(Desktop& desktop, const std::vector<Camera>& cameras) {
  const int count = static_cast<int>(cameras.size());
  WindowLayout layout;
  layout.kind = WindowKind::kCheckBoxes;
  layout.title = "Check cameras to render (" + std::to_string(count) + " found)";
  layout.width = 290;
  layout.height = CameraWindowHeight(count, WindowRoom(desktop).height);
  for (const Camera& camera : cameras) layout.check_labels.push_back(CameraLabel(camera));
  OwnedWindow owned(desktop, layout);
  const std::optional<WindowId> window = owned.id();
  if (!window) return {};
  CameraChoice choice;
  for (;;) {
    choice.ticks = desktop.WaitForCheckBoxes(*window);
    if (!choice.ticks) {
      choice.cancelled = true;
      break;
    }
    if (std::find(choice.ticks->begin(), choice.ticks->end(), true) != choice.ticks->end()) break;
    desktop.Message(kErrorTitle, "You must select at least one camera to render");
    desktop.ResetCheckBoxes(*window);
  }
  return choice;
}

}  // namespace

Next ChooseCameras(Preparation& preparation) {
  const std::string cameras_file = preparation.paths.TempDir + "cameras.txt";
  if (!ListCameras(preparation, cameras_file)) return Next::GiveUp();

  // Every camera is kept, however many the scene has.
  const CameraFile file = ReadCameraLines(cameras_file);
  if (file.too_large) {
    std::error_code ec;
    fs::remove(cameras_file, ec);
    const std::string failure = "cameras.txt is too large (more than " +
                                std::to_string(kMaxTextFileBytes >> 20) +
                                " MB). The project will be prepared without its list of cameras.";
    preparation.log.Write(failure);
    preparation.desktop.Message(kWarningTitle, failure);
  }
  if (!file.lines) return Next::GoOn();
  std::vector<Camera> cameras;
  for (const std::string& line : *file.lines) cameras.push_back(ReadCameraLine(line));
  preparation.outcome.cameras = cameras;
  if (preparation.options.on_cameras) preparation.options.on_cameras(cameras);

  // Without the window (it could not be opened) the cameras stay unmarked.
  if (cameras.size() == 1) {
    cameras.front().chosen = true;
  } else if (const CameraChoice choice = AskWhichCameras(preparation.desktop, cameras);
             choice.cancelled) {
    return Next::GiveUp();
  } else if (choice.ticks) {
    for (std::size_t i = 0; i < cameras.size(); ++i)
      cameras[i].chosen = i < choice.ticks->size() && (*choice.ticks)[i];
  }
  if (!WriteCameras(cameras_file, cameras)) return Next::GoOn();
  preparation.outcome.cameras = cameras;
  for (const Camera& camera : cameras)
    preparation.log.Write("Camera: " + CameraLabel(camera) + " detected");
  return Next::GoOn();
}

}  // namespace torva
