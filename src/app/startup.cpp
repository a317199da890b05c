#include "app/startup.h"

#include <cstring>

#include "app/logo.h"
#include "app/main_loop.h"
#include "app/small_commands.h"
#include "benchmark/benchmark_results.h"
#include "benchmark/benchmark_run.h"
#include "desktop/titles.h"
#include "platform/folder_lock.h"
#include "platform/folders.h"
#include "state/config/settings.h"
#include "state/next.h"
#include "state/remembered.h"
#include "state/renderer_check.h"
#include "update/update_check.h"

namespace torva {
namespace {

// True when `next` ends the program, after its last message.
bool EndsProgram(Program& program, const Next& next) {
  if (next.kind != Next::kEndProgram) return false;
  ShowLastMessage(program.desktop, next);
  return true;
}

// False when the program cannot go on with the renderer it found.
bool CheckRendererAtStart(Program& program) {
  switch (CheckRenderer(program)) {
    case RendererCheck::kUsable: return true;
    case RendererCheck::kInstallationGone:
      EndsProgram(program, GiveUpOnInstallation(program));
      return false;
    case RendererCheck::kTooOld:
      ReportRendererTooOld(program, *program.renderer_probe);
      return false;
  }
  return false;
}

// Each return ends the program.
void StartUp(Program& program, const std::function<void(const std::string&)>& lay_out) {
  Picture logo = DecodePng(EmbeddedLogoPng()).value_or(BlankPicture(405, 89));

  // Two programs on one folder would mix their scripts, work folders and
  // configuration: the second one leaves at once, writing nothing.
  const AppFolderLock lock = LockAppFolder(program.paths.AppDir);
  if (lock.held_by_another) {
    program.desktop.Message(kWarningTitle, lock.refusal + ".\nThis copy will now quit.");
    return;
  }
  if (!lock.refusal.empty()) {
    program.desktop.Message(kErrorTitle, lock.refusal + ".\nTORVAmeter will now quit.");
    return;
  }
  if (lay_out) lay_out(program.paths.AppDir);
  MakeFolderIfMissing(program.paths.ArchiveDir);
  program.state.LastDir = program.paths.AppDir;

  if (!LoadConfiguration(program) && EndsProgram(program, AskFirstRunQuestions(program))) return;
  if (!CheckRendererAtStart(program)) return;
  if (program.state.CheckUpdates &&
      CheckForUpdate(program, program.constants.ProgramVersion, UpToDateReport::kSilent))
    return;

  if (!program.remembered_file.empty()) {
    const Remembered remembered = ReadRemembered(program.remembered_file);
    if (remembered.main_window) program.desktop.PlaceMainWindow(*remembered.main_window);
    program.state.LastSamplingLevel = remembered.sampling_level;
  }
  if (!program.desktop.OpenMainWindow(MainWindowTitle(program), logo)) return;

  if (EndsProgram(program, SetAsideLogsOfOtherRenderer(program))) return;
  if (std::optional<RenderMode> mode = LoadBenchmarksAtStart(program)) {
    if (RunBenchmarkWithMode(program, *mode).EndsProgram()) return;
  }
  if (program.state.quit_requested) return EndNormally(program);

  RunMainLoop(program);
}

}  // namespace

AppFolderLock LockAppFolder(const std::string& app_dir) {
  MakeFolderIfMissing(app_dir);
  FolderLockAttempt attempt = FolderLock::Take(app_dir);
  AppFolderLock folder;
  switch (attempt.result) {
    case FolderLockAttempt::Result::kTaken: folder.lock.emplace(std::move(*attempt.lock)); break;
    case FolderLockAttempt::Result::kReadOnly: break;
    case FolderLockAttempt::Result::kHeld:
      folder.held_by_another = true;
      folder.refusal = "TORVAmeter is already running with the folder " + app_dir;
      break;
    case FolderLockAttempt::Result::kFailed:
      folder.refusal =
          "The application folder " + app_dir + " cannot be used: " + std::strerror(attempt.error);
      break;
  }
  return folder;
}

int RunProgram(Program& program, const std::function<void(const std::string&)>& lay_out) {
  StartUp(program, lay_out);
  return 0;
}

bool SetProbeLimit(const std::string& seconds, Program& program) {
  if (seconds.empty() || seconds.size() > 5 ||
      seconds.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const int value = std::stoi(seconds);
  if (value < 1 || value > kMaxProbeLimitSeconds) return false;
  program.renderer_probe_limit_ms = value * 1000;
  return true;
}

std::string ProbeLimitError() {
  return "--probe-limit takes whole seconds from 1 to " + std::to_string(kMaxProbeLimitSeconds);
}

}  // namespace torva
