// setup: the settings the first start's questions would write.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "headless/command_runs.h"
#include "platform/standard_streams.h"
#include "renderer/detect.h"
#include "state/config/settings.h"
#include "state/renderer_check.h"

namespace torva {
namespace {

constexpr const char* kPasswordVariable = "TORVAMETER_PASSWORD";

// The first line, without its line end; a stream that is no text file costs
// at most kLimit bytes.
std::string FirstLine(std::istream& in) {
  constexpr std::size_t kLimit = 4096;
  std::string line;
  for (char c; line.size() < kLimit && in.get(c) && c != '\n';) line += c;
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

struct Password {
  std::string value, failure;
};

Password ReadPassword(const HeadlessCommand& command) {
  using From = HeadlessCommand::PasswordFrom;
  switch (command.password_from) {
    case From::kNone: return {};
    case From::kArgument: return {command.password, ""};
    case From::kStandardInput:
      if (StandardInputIsTerminal())
        return {"",
                "--password - reads the password from standard input, which is a terminal: "
                "pipe it in, or give --password-file FILE"};
      return {FirstLine(std::cin), ""};
    case From::kFile: {
      std::ifstream file(command.password_file, std::ios::binary);
      if (!file) return {"", "--password-file: " + command.password_file + " cannot be read"};
      return {FirstLine(file), ""};
    }
    case From::kEnvironment: {
      const char* value = std::getenv(kPasswordVariable);
      if (!value || !*value)
        return {"", std::string("--login needs a password: --password - (standard input), "
                                "--password-file FILE or ") +
                        kPasswordVariable};
      return {value, ""};
    }
  }
  return {};
}

}  // namespace

HeadlessOutcome RunSetup(const HeadlessCommand& command, Program& program) {
  const Password password = ReadPassword(command);
  if (!password.failure.empty()) return HeadlessOutcome::Failed(password.failure);
  if (!command.login.empty() && password.value.empty())
    return HeadlessOutcome::Failed("the password is empty");
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
    const std::string start_failure = StartFailureText("Maxwell Render", probe.start_error);
    program.desktop.Message("TORVAmeter error",
                            RendererTooOldMessage(program, probe.version, start_failure));
    return HeadlessOutcome::Failed(start_failure.empty() ? "Maxwell Render is too old"
                                                         : start_failure);
  }

  State& state = program.state;
  state.MaxwellDir = maxwell_dir;
  state.LastDir = maxwell_dir;
  state.FarmLogin = command.login;
  state.FarmPassword = password.value;
  state.CheckUpdates = command.check_updates;
  if (!SaveConfiguration(program))
    return HeadlessOutcome::Failed("the settings cannot be written to " + program.paths.ConfigFile);
  program.desktop.AddLogLine(0, "Settings written to " + program.paths.ConfigFile +
                                    " (Maxwell Render " + probe.version +
                                    (probe.gpu_capable ? ", with a GPU" : "") + ").");
  return {};
}

}  // namespace torva
