// 7za, run and watched like the renderer: the window stays alive while it
// works, and its errors are kept to judge the run. Its other lines go to the
// caller as they come and are not kept: a listing may run to millions.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "renderer/process.h"
#include "renderer/runner.h"

namespace torva {

struct ArchiverRun {
  RunEnd end = RunEnd::kFinished;
  int exit_code = -1;
  int start_error = 0;  // why 7za could not be started (errno), or 0
  // Its "ERROR: " lines that judge the run, bounded: the first link it
  // refused to restore, and the first kKeptArchiverErrors others.
  std::vector<std::string> errors;
};
inline constexpr std::size_t kKeptArchiverErrors = 10;

struct ArchiverWatch {
  // Each line as it comes.
  std::function<void(const std::string&)> on_line;
  // 7za redraws its progress with backspaces: each redraw is then a line.
  bool progress_lines = false;
};

// Runs `archiver` through `runner` in `working_dir`, attending to `events`
// meanwhile.
ArchiverRun RunArchiver(Runner& runner, RunEvents& events, const std::string& archiver,
                        std::vector<std::string> arguments, const std::string& working_dir,
                        const ArchiverWatch& watch = {});

// Whether 7za's run went well, from its status and its errors (any other
// lines are ignored): exit status 0, a warning (1), or errors that are all
// links it refused to restore (links are removed anyway). Anything else, a
// full disk or a wrong password among them, is a failure.
bool ArchiverSucceeded(int status, const std::vector<std::string>& lines);

}  // namespace torva
