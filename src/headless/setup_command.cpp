// setup: the settings the first start's questions would write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "headless/command_runs.h"
#include "platform/standard_streams.h"
#include "renderer/detect.h"
#include "state/config/config_file.h"
#include "state/config/settings.h"
#include "state/renderer_check.h"

namespace torva {
namespace {

constexpr const char* kPasswordVariable = "TORVAMETER_PASSWORD";

// The variable's value, taken out of the environment at start.
std::optional<std::string> environment_password;

// Nothing past this is read of a password's line: far beyond any password
// the settings keep, so that a longer one is refused, not cut.
constexpr std::size_t kPasswordLineLimit = 4096;

std::string WithoutCarriageReturn(std::string line) {
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

// The first line, without its line end.
std::string FirstLine(std::istream& in) {
  std::string line;
  for (char c; line.size() < kPasswordLineLimit && in.get(c) && c != '\n';) line += c;
  return WithoutCarriageReturn(line);
}

struct Password {
  std::string value, failure;
};

// The first line of a regular file (a link to one is followed). Anything
// else is refused without reading: a FIFO without a writer would be waited on
// for ever, a folder reads as nothing, a device such as /dev/zero as zeros.
Password ReadPasswordFile(const std::string& path) {
  const std::string unreadable = "--password-file: " + path + " cannot be read";
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {"", unreadable};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return {"", "--password-file: " + path + " is not a regular file"};
  }
  std::string bytes(kPasswordLineLimit, '\0');
  std::size_t have = 0;
  bool failed = false;
  while (have < bytes.size() && bytes.find('\n') >= have) {
    const ssize_t n = read(fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    failed = n < 0;
    if (n <= 0) break;
    have += static_cast<std::size_t>(n);
  }
  failed = close(fd) != 0 || failed;
  if (failed) return {"", unreadable};
  bytes.resize(have);
  return {WithoutCarriageReturn(bytes.substr(0, bytes.find('\n'))), ""};
}

Password ReadPassword(const HeadlessCommand& command) {
  using From = HeadlessCommand::PasswordFrom;
  switch (command.password_from) {
    case From::kNone: return {};
    case From::kArgument: return {command.password, ""};
    case From::kStandardInput:
      if (StandardInputIsTerminal()) {
        const std::optional<std::string> typed =
            ReadSecretLine("TORVA password for " + command.login + ": ", kPasswordLineLimit);
        if (!typed) return {"", "the password could not be read from the terminal"};
        return {WithoutCarriageReturn(*typed), ""};
      }
      return {FirstLine(std::cin), ""};
    case From::kFile: return ReadPasswordFile(command.password_file);
    case From::kEnvironment:
      if (!environment_password || environment_password->empty())
        return {"", std::string("--login needs a password: --password - (standard input), "
                                "--password-file FILE or ") +
                        kPasswordVariable};
      return {*environment_password, ""};
  }
  return {};
}

}  // namespace

bool TakePasswordVariable() {
  const char* value = std::getenv(kPasswordVariable);
  if (!value) return true;
  environment_password = value;
  return unsetenv(kPasswordVariable) == 0;
}

HeadlessOutcome RunSetup(const HeadlessCommand& command, Program& program,
                         const std::string& program_name) {
  const Password password = ReadPassword(command);
  if (!password.failure.empty()) return HeadlessOutcome::Failed(password.failure);
  if (!command.login.empty() && password.value.empty())
    return HeadlessOutcome::Failed("the password is empty");
  if (const std::string refusal = PasswordRefusal(password.value); !refusal.empty())
    return HeadlessOutcome::Failed(refusal);
  // Its line in the settings would end at a line feed, and the next start
  // would find a folder that is not there.
  if (!FitsOnALine(command.maxwell_dir))
    return HeadlessOutcome::Failed(
        "--maxwell: a folder name with a line feed cannot be kept in the settings");
  std::error_code ec;
  if (!std::filesystem::is_directory(command.maxwell_dir, ec))
    return HeadlessOutcome::Failed("--maxwell: " + command.maxwell_dir + " is not a folder");

  // The renderer is checked before anything is written, so that a wrong
  // folder leaves the earlier settings as they were.
  const std::string maxwell_dir = command.maxwell_dir == "/" ? "/" : command.maxwell_dir + "/";
  const RendererProbe probe =
      ProbeRenderer(program.runner, maxwell_dir, "", program.renderer_probe_limit_ms);
  if (!probe.merge_tool_present)
    return HeadlessOutcome::Failed("no Maxwell Render installation in " + maxwell_dir +
                                   " (no mximerge)");
  if (RendererTooOld(program, probe.version))
    return HeadlessOutcome::Failed(ReportRendererTooOld(program, probe));

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
  const std::string benchmark = "\"" + program_name + " benchmark";
  program.desktop.AddLogLine(
      1, "Next: run " + benchmark + "\"" +
             (probe.gpu_capable ? " (and " + benchmark + " --gpu\")" : std::string()) +
             " to measure this computer against the farm; estimations need it.");
  return {};
}

}  // namespace torva
