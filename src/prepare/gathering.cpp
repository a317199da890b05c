#include <chrono>
#include <ctime>
#include <filesystem>

#include "desktop/titles.h"
#include "platform/cpu_info.h"
#include "platform/own_folder.h"
#include "prepare/file_copy.h"
#include "prepare/gather_script.h"
#include "prepare/preparation_steps.h"
#include "prepare/scene_name.h"
#include "renderer/command_lines.h"
#include "renderer/process.h"
#include "text/file_size.h"
#include "text/numbers.h"
#include "text/utf8.h"
#include "text/whole_file.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

std::string LocalDateLine() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateLine(local);
}

void StartProjectLog(Preparation& preparation) {
  const std::string scene_file = FileNameOf(preparation.scene_path);
  const std::string date_line = LocalDateLine();
  preparation.log.Open(preparation.paths.project_log);
  Desktop& desktop = preparation.desktop;
  desktop.AddLogLine(0, date_line);
  desktop.AddLogLine(1, "TORVAmeter is gathering all files needed by \"" + scene_file + "\"...");
  desktop.AddLogLine(2, "");
  LogHeader header{ProcessorBrand(),
                   LogicalProcessors(),
                   preparation.state.FarmSpeedRatio,
                   preparation.state.RendererVersion,
                   preparation.constants.ProgramVersion,
                   scene_file};
  for (const std::string& line : ProjectLogHeader(header, date_line)) preparation.log.Write(line);
  preparation.state.LogLine = 2;
}

// Asks the user for a file the renderer could not find, until one of exactly
// that name is chosen and copied into the project. False when the user gives up.
// The name is compared and copied as the renderer wrote its bytes; only what
// is shown is made valid UTF-8.
bool SearchMissingFile(Preparation& preparation, const MissingFile& missing) {
  const std::string shown_name = ValidUtf8(missing.name);
  preparation.ReportAndLog({"Not found: " + shown_name, "  in " + ValidUtf8(missing.in_folder)});
  const std::string extension = ValidUtf8(ExtensionPart(missing.name));
  std::string chosen;
  for (;;) {
    std::optional<std::string> path = preparation.desktop.ChooseFile(
        QuestionId::kMissingFile, "Missing file: \"" + shown_name + "\" is missing, please find it",
        preparation.state.LastDir, "Missing file (*." + extension + ")|*." + extension);
    if (!path || path->empty()) return false;
    chosen = *path;
    if (FileNameOf(chosen) != missing.name) continue;
    if (CopyPlainFile(chosen, preparation.paths.TempDir + missing.name)) break;
    preparation.desktop.Message(kErrorTitle,
                                "The file \"" + ValidUtf8(chosen) +
                                    "\" cannot be copied into the project: "
                                    "only a plain file that can be read can be sent. Please choose "
                                    "another one.");
  }
  preparation.found_by_hand[missing.name] = chosen;
  preparation.ReportAndLog({"Missing item has been found manually", ""});
  preparation.state.LastDir = FolderOf(chosen);
  return true;
}

// The gathering copies the scene under its own name; the project has it
// under the name it was given there. False when a file the scene uses
// already bears that name (the user is told).
bool NameTheSceneCopy(Preparation& preparation) {
  const std::string& folder = preparation.paths.TempDir;
  const std::string copy = folder + FileNameOf(preparation.scene_path);
  std::error_code ec;
  if (preparation.project_scene_file == FileNameOf(copy) ||
      !fs::exists(fs::symlink_status(copy, ec)))
    return true;
  const RenameResult renamed =
      RenameWithoutReplacing(copy, folder + preparation.project_scene_file);
  if (renamed == RenameResult::kDone) return true;
  preparation.Fail(
      kErrorTitle,
      "The scene cannot be named " + ValidUtf8(preparation.project_scene_file) + " in the project" +
          (renamed == RenameResult::kTargetExists ? ": the scene uses a file of that name." : ".") +
          "\nPlease rename the scene and prepare it again.");
  return false;
}

void ListProjectFolder(Preparation& preparation) {
  preparation.dependency_count = 0;
  preparation.project_size = 0;
  std::error_code ec;
  for (fs::directory_iterator it(preparation.paths.TempDir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name == kProjectLogName) continue;
    ++preparation.dependency_count;
    preparation.outcome.files.push_back(ValidUtf8(name));
    preparation.ReportAndLog(
        {ValidUtf8(name) + "  --> found... (" + FileSizeMB(it->path().string()) + ")"});
    std::error_code size_error;
    const auto bytes = it->is_regular_file(size_error) ? it->file_size(size_error) : 0;
    if (!size_error) preparation.project_size += static_cast<long long>(bytes);
    preparation.desktop.TakeEvent();
  }
  preparation.ReportAndLog({""});
  if (preparation.Gathered()) {
    const float megabytes = static_cast<float>(preparation.project_size) / 1024.0f / 1024.0f;
    preparation.ReportAndLog({std::to_string(preparation.dependency_count - 1) +
                              " dependancies found. Project size (uncompressed): " +
                              FormatFixed(megabytes, 2) + " MB."});
  } else {
    preparation.ReportAndLog({"No archive created, Maxwell Render has crashed!"});
  }
}

}  // namespace

Next GatherDependencies(Preparation& preparation) {
  const AppPaths& paths = preparation.paths;
  const std::string project_folder = ProjectFolder(paths);
  RemovePackingLeftovers(paths);
  std::error_code why;
  switch (MakeOwnFolder(project_folder, &why)) {
    case OwnFolder::kReady: break;
    case OwnFolder::kForeign:
      preparation.Fail(kErrorTitle, ForeignFolderMessage(project_folder));
      return Next::GiveUp();
    case OwnFolder::kFailed:
      preparation.Fail(kErrorTitle, "The folder " + project_folder +
                                        " cannot be made ready for the project: " + why.message() +
                                        ".");
      return Next::GiveUp();
  }
  if (!WriteWholeFile(paths.gather_script, GatherScript(preparation.scene_path, project_folder)))
    return {Next::kEndProgram, "Maxwell script file cannot be created! TORVAmeter will now quit",
            "the Maxwell script file " + paths.gather_script + " cannot be created"};
  std::error_code ec;
  StartProjectLog(preparation);

  const std::string scene_folder = FolderOf(preparation.scene_path);
  ExternalProcess renderer =
      preparation.runner.Launch(RendererExecutable(preparation.state.MaxwellDir),
                                GatherArguments(paths.gather_script), preparation.state.MaxwellDir);
  std::optional<std::string> given_up;  // the missing file the user did not find
  const RunEnd end = WatchRun(
      renderer, preparation.desktop,
      [&](const Event& event) { return QuitRule(preparation, event); },
      [&](const std::string& line) {
        // Once the user has quit, nothing more is asked.
        if (given_up || preparation.state.quit_requested) return RunAction::kGoOn;
        const std::optional<MissingFile> missing = ReadNotFoundLine(line);
        if (!missing || fs::exists(scene_folder + missing->name, ec)) return RunAction::kGoOn;
        if (SearchMissingFile(preparation, *missing)) return RunAction::kGoOn;
        given_up = ValidUtf8(missing->name);
        return RunAction::kStop;  // no renderer is left running on its own
      },
      WatchOptions{.pause = false, .line_bytes = true});
  fs::remove(paths.gather_script, ec);
  if (given_up) {
    return {Next::kEndProgram,
            "Missing file: \"" + *given_up + "\" was not found, TORVAmeter will now quit",
            "missing file: \"" + *given_up + "\" was not found"};
  }
  if (end == RunEnd::kCloseRequested) return Next::GiveUp();
  preparation.renderer_crashed = end == RunEnd::kFinished && renderer.ExitCode() >= 128;
  preparation.renderer_start_error = renderer.StartError();
  if (!NameTheSceneCopy(preparation)) return Next::GiveUp();
  ListProjectFolder(preparation);
  return {};
}

}  // namespace torva
