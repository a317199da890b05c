// The commands without a window, from the command line to the exit status.
#pragma once

#include <functional>
#include <string>

#include "app/command_line.h"

namespace torva {

// Runs `line.command` on the application folder `app_dir`. Progress and
// messages go to standard error, a --json result to standard output. Returns
// 0 when the command did its work, 1 when it failed (said on standard
// error), 2 when its arguments are wrong. `lay_out`, when given, prepares
// the application folder once the arguments are known to be right.
int RunHeadless(const CommandLine& line, const std::string& app_dir,
                const std::string& program_name, OptionSet options,
                const std::function<void(const std::string&)>& lay_out = nullptr);

}  // namespace torva
