#include "state/renderer_check.h"

#include <filesystem>
#include <system_error>

#include "desktop/titles.h"

namespace torva {

RendererCheck CheckRenderer(Program& program) {
  State& state = program.state;
  if (!program.reuse_renderer_probe || !program.renderer_probe) {
    program.renderer_probe = ProbeRenderer(program.runner, state.MaxwellDir, state.RendererVersion,
                                           program.renderer_probe_limit_ms);
  }
  const RendererProbe& probe = *program.renderer_probe;
  if (!probe.merge_tool_present) return RendererCheck::kInstallationGone;

  state.RendererVersion = probe.version;
  state.GpuCapable = probe.gpu_capable;
  return RendererTooOld(program, state.RendererVersion) ? RendererCheck::kTooOld
                                                        : RendererCheck::kUsable;
}

bool RendererTooOld(const Program& program, const std::string& version) {
  return VersionIsOlder(version, program.constants.MinRendererVersion);
}

std::string ReportRendererTooOld(Program& program, const RendererProbe& probe) {
  const std::string start_failure = StartFailureText("Maxwell Render", probe.start_error);
  program.desktop.Message(kErrorTitle, "Your Maxwell Render version is " + probe.version +
                                           ".\nThis version of TORVAmeter needs Maxwell Render " +
                                           program.constants.MinRendererVersion +
                                           " (or newer) to run." + DetailLine(start_failure));
  return start_failure.empty() ? "Maxwell Render is too old" : start_failure;
}

std::string TooOldToRunMessage(const Program& program, const std::string& command) {
  return "Your Maxwell Render version is " + program.state.RendererVersion +
         ".\nTORVAmeter needs at least Maxwell Render 2.0.2.0 to run " + command + ".";
}

Next GiveUpOnInstallation(Program& program) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::remove(program.paths.config_backup, error);
  // The set-aside copy keeps the login and password: only its owner may read it.
  if (fs::is_regular_file(fs::symlink_status(program.paths.ConfigFile, error)))
    fs::permissions(program.paths.ConfigFile, fs::perms::group_all | fs::perms::others_all,
                    fs::perm_options::remove, error);
  fs::rename(program.paths.ConfigFile, program.paths.config_backup, error);
  return {Next::kEndProgram,
          "The Maxwell Render executable cannot be found, TORVAmeter will now quit.\nAt next "
          "launch, you will be asked to enter some configuration information.",
          "The Maxwell Render executable cannot be found: the settings have been set aside as " +
              program.paths.config_backup + "; give the Maxwell Render folder again with setup"};
}

}  // namespace torva
