// TORVAmeter for Maxwell Render, in its window, or one command without it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "desktop/fltk/fltk_desktop.h"
#include "desktop/gadgets.h"
#include "headless/command_runs.h"
#include "headless/headless_run.h"
#include "install/app_folder.h"
#include "platform/interrupts.h"
#include "platform/standard_streams.h"
#include "state/program.h"
#include "update/update_check.h"

namespace {

#ifdef TM_SANDBOX
// The sandbox build also takes another update server and renderer probe
// limit, for tests and demos, and never lays out its folder from installed data.
constexpr torva::OptionSet kOptions = torva::OptionSet::kTesting;
constexpr const char* kName = "torvameter-sandbox";
#else
constexpr torva::OptionSet kOptions = torva::OptionSet::kShipped;
constexpr const char* kName = "torvameter";
#endif

int UsageError(const std::string& error) {
  std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more.\n", kName, error.c_str(),
               torva::UsageLines(kOptions).c_str(), kName);
  return torva::kUsageExitStatus;
}

#ifndef TM_SANDBOX
// Adds what the application folder lacks from the data installed with the
// program; what cannot be made is told on standard error, and the program
// goes on (its own messages say what is missing when it is needed).
void LayOutFromInstalledData(const std::string& app_dir) {
  const std::string data = torva::InstalledDataFolder();
  if (data.empty()) return;
  const char* path = std::getenv("PATH");
  const torva::LayoutReport report = torva::LayOutAppFolder(
      app_dir, data, torva::FindOnPath(torva::kArchiverName, path ? path : ""));
  for (const std::string& failed : report.failed)
    std::fprintf(stderr, "%s: cannot make %s from %s\n", kName, failed.c_str(), data.c_str());
}
#endif

// The command lines answered without the application folder: errors, help,
// the version and the gadget table. nullopt for the others.
std::optional<int> AnswerAtOnce(const torva::CommandLine& line) {
  switch (line.action) {
    case torva::CommandLineAction::kError: return UsageError(line.error);
    case torva::CommandLineAction::kHelp:
      std::fputs(torva::UsageText(kOptions, torva::DefaultAppFolder(), torva::InstalledDataFolder())
                     .c_str(),
                 stdout);
      return 0;
    case torva::CommandLineAction::kVersion:
      std::printf("%s\n", torva::VersionText().c_str());
      return 0;
    case torva::CommandLineAction::kGadgetTable:
      std::fputs(torva::GadgetTableText().c_str(), stdout);
      return 0;
    case torva::CommandLineAction::kRun:
    case torva::CommandLineAction::kCommand: break;
  }
  return std::nullopt;
}

using LayOut = std::function<void(const std::string&)>;

int RunWindow(const torva::CommandLine& line, const std::string& app_dir, const LayOut& lay_out) {
  // Without a window system every dialog would be a silent no-op and the run
  // would look like a success.
  if (!torva::ConnectToDisplay()) {
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
      std::fprintf(stderr, "cannot open the display \"%s\"\n", display);
    else
      std::fprintf(stderr, "cannot open the display: DISPLAY is not set\n");
    return 1;
  }
  torva::ReserveStandardStreams();
  // SIGINT, SIGTERM and SIGHUP end the program as a close of the main window
  // does, without the question: a run stops its renderer and cleans up first.
  if (!torva::CatchInterrupts())
    std::fprintf(stderr, "%s\n", torva::UncaughtInterruptsWarning(errno).c_str());
  torva::FltkDesktop desktop;
  torva::Program program(desktop, app_dir);
  const std::string state_folder =
      torva::StateFolderFor(std::getenv("XDG_STATE_HOME"), torva::HomeFolder());
  if (!state_folder.empty()) program.remembered_file = state_folder + "/window";
  if (!line.update_host.empty() && !torva::PointUpdatesAt(line.update_host, program.update_servers))
    return UsageError(torva::kBadUpdateHost);
  if (!line.probe_limit.empty() && !torva::SetProbeLimit(line.probe_limit, program))
    return UsageError(torva::ProbeLimitError());
  const int status = torva::RunProgram(program, lay_out);
  if (const int signal = torva::InterruptSignal()) {
    std::fprintf(stderr, "%s: stopped by %s\n", kName, torva::InterruptName(signal));
    return 128 + signal;  // what a shell expects of a program the signal ended
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything can start a program that would inherit the password.
  if (!torva::TakePasswordVariable()) {
    std::fprintf(stderr, "%s: the password cannot be taken out of the environment\n", kName);
    return 1;
  }
  const torva::CommandLine line =
      torva::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), kOptions);
  if (const std::optional<int> status = AnswerAtOnce(line)) return *status;

  const std::string app_dir = line.app_dir.empty() ? torva::DefaultAppFolder() : line.app_dir;
  if (app_dir.empty()) {
    std::fprintf(
        stderr, "%s: no home folder to put the application folder in; give --app-dir DIR\n", kName);
    return 1;
  }
#ifdef TM_SANDBOX
  const LayOut lay_out = nullptr;
#else
  const LayOut lay_out = LayOutFromInstalledData;
#endif
  // The commands need no display, and never touch the window system.
  if (line.action == torva::CommandLineAction::kCommand)
    return torva::RunHeadless(line, app_dir, kName, kOptions, lay_out);
  return RunWindow(line, app_dir, lay_out);
}
