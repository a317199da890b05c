#include "renderer/archiver.h"

#include <algorithm>
#include <utility>

namespace torva {
namespace {

bool IsRefusedLink(const std::string& error) {
  return error.find("Dangerous link path was ignored") != std::string::npos;
}

// One refused link stands for them all; one other error fails the run.
void KeepError(std::vector<std::string>& errors, const std::string& line) {
  if (!line.starts_with("ERROR: ")) return;
  const bool refused = IsRefusedLink(line);
  const auto kept = std::count_if(errors.begin(), errors.end(), [&](const std::string& error) {
    return IsRefusedLink(error) == refused;
  });
  if (kept < (refused ? 1 : static_cast<long>(kKeptArchiverErrors))) errors.push_back(line);
}

}  // namespace

ArchiverRun RunArchiver(Runner& runner, RunEvents& events, const std::string& archiver,
                        std::vector<std::string> arguments, const std::string& working_dir,
                        const ArchiverWatch& watch) {
  arguments.push_back("-bse1");  // errors on standard output, where they are read
  ExternalProcess process = runner.Launch(archiver, arguments, working_dir);
  if (watch.progress_lines) process.EndLinesAtBackspaces();
  ArchiverRun run;
  run.end = WatchRun(
      process, events,
      [&](const std::string& line) {
        KeepError(run.errors, line);
        if (watch.on_line) watch.on_line(line);
        return RunAction::kGoOn;
      },
      WatchOptions{.pause = false});
  run.exit_code = process.ExitCode();
  run.start_error = process.StartError();
  return run;
}

bool ArchiverSucceeded(int status, const std::vector<std::string>& lines) {
  if (status < 0 || status > 2) return false;
  if (status < 2) return true;
  int refused_links = 0;
  for (const std::string& line : lines) {
    if (!line.starts_with("ERROR: ")) continue;
    if (!IsRefusedLink(line)) return false;
    ++refused_links;
  }
  return refused_links > 0;
}

}  // namespace torva
