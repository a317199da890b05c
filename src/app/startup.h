// The program from start to end: start-up, the main event loop and the
// normal end.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/folder_lock.h"

#include "state/program.h"

namespace torva {

// Runs the whole program and returns its exit status (always 0). `lay_out`,
// when given, prepares the application folder once the program holds it.
int RunProgram(Program& program, const std::function<void(const std::string&)>& lay_out = nullptr);

// The application folder made when missing and locked for this program.
// `refusal` says why the program cannot go on there (another copy holds
// it, or the folder cannot be used); a folder where nothing can be written
// is used without a lock.
struct AppFolderLock {
  std::optional<FolderLock> lock;
  bool held_by_another = false;
  std::string refusal;
};
AppFolderLock LockAppFolder(const std::string& app_dir);

// For the test programs: the renderer probe's limit from a count of whole
// seconds (1 to kMaxProbeLimitSeconds). False, and nothing changed, for any
// other text, which ProbeLimitError() then tells.
inline constexpr int kMaxProbeLimitSeconds = 86400;
bool SetProbeLimit(const std::string& seconds, Program& program);
std::string ProbeLimitError();

}  // namespace torva
