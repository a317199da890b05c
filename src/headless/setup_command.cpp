// setup: the settings the first start's questions would write.
#include <filesystem>

#include "headless/command_runs.h"
#include "renderer/detect.h"
#include "state/config/settings.h"

namespace torva {

HeadlessOutcome RunSetup(const HeadlessCommand& command, Program& program) {
  std::error_code ec;
  if (!std::filesystem::is_directory(command.maxwell_dir, ec))
    return HeadlessOutcome::Failed("--maxwell: " + command.maxwell_dir + " is not a folder");

  // The renderer is checked before anything is written, so that a wrong
  // folder leaves the earlier settings as they were.
  const std::string maxwell_dir = command.maxwell_dir == "/" ? "/" : command.maxwell_dir + "/";
  const RendererProbe probe = ProbeRenderer(maxwell_dir, "", program.renderer_probe_limit_ms);
  if (!probe.merge_tool_present)
    return HeadlessOutcome::Failed("no Maxwell Render installation in " + maxwell_dir +
                                   " (no mximerge)");
  if (VersionIsOlder(probe.version, program.constants.MinRendererVersion)) {
    program.desktop.Message("TORVAmeter error",
                            "Your Maxwell Render version is " + probe.version +
                                ".\nThis version of TORVAmeter needs Maxwell Render " +
                                program.constants.MinRendererVersion + " (or newer) to run.");
    return HeadlessOutcome::Failed("Maxwell Render is too old");
  }

  State& state = program.state;
  state.MaxwellDir = maxwell_dir;
  state.LastDir = maxwell_dir;
  state.FarmLogin = command.login;
  state.FarmPassword = command.password;
  state.CheckUpdates = command.check_updates;
  if (!SaveConfiguration(program))
    return HeadlessOutcome::Failed("the settings cannot be written to " + program.paths.ConfigFile);
  program.desktop.AddLogLine(0, "Settings written to " + program.paths.ConfigFile +
                                    " (Maxwell Render " + probe.version +
                                    (probe.gpu_capable ? ", with a GPU" : "") + ").");
  return {};
}

}  // namespace torva
