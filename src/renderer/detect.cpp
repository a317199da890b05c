#include "renderer/detect.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "renderer/command_lines.h"
#include "renderer/process.h"
#include "text/text.h"

namespace torva {

namespace {

// A folder or an empty file does not count.
bool IsNonEmptyFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const auto size = std::filesystem::file_size(path, error);
  return !error && size > 0;
}

bool MergeToolPresent(const std::string& maxwell_dir) {
  return IsNonEmptyFile(maxwell_dir + "mximerge") ||
         IsNonEmptyFile(maxwell_dir + "mximerge.app/Contents/MacOS/mximerge");
}

// The next start asks the first-run questions again.
[[noreturn]] void GiveUpOnInstallation(Program& program) {
  std::error_code error;
  std::filesystem::remove(program.paths.ConfigBackup, error);
  std::filesystem::rename(program.paths.ConfigFile, program.paths.ConfigBackup, error);
  program.desktop.Message("TORVAmeter error",
                          "The Maxwell Render executable cannot be found, TORVAmeter will "
                          "now quit.\nAt next launch, you will be asked to enter some "
                          "configuration information.");
  EndProgram();
}

}  // namespace

bool VersionIsOlder(std::string_view version, std::string_view minimum) {
  return version < minimum;
}

RendererCheck CheckRenderer(Program& program) {
  State& state = program.state;
  if (!MergeToolPresent(state.MaxwellDir)) GiveUpOnInstallation(program);

  state.GpuCapable = false;
  ExternalProcess renderer = ExternalProcess::Launch(RendererExecutable(state.MaxwellDir),
                                                     " -nogui -nowait", state.MaxwellDir);
  while (renderer.Running()) {
    renderer.WaitForOutput();
    if (!renderer.OutputAvailable()) continue;
    const std::string line = renderer.ReadLine();
    state.OutputLine = line;
    if (line.find("Engine version ") != std::string::npos) {
      state.RendererVersion = TextAfter(line, "Engine version ");
    } else if (line.find("GPU INFO ") != std::string::npos &&
               state.RendererVersion.starts_with('5')) {
      state.GpuCapable = true;
    }
  }
  renderer.Close();

  return VersionIsOlder(state.RendererVersion, program.constants.MinRendererVersion)
             ? RendererCheck::kTooOld
             : RendererCheck::kUsable;
}

}  // namespace torva
