// The program's command line, read before anything else starts (no display
// is needed for --help, --version and the commands that run without a window).
#pragma once

#include <string>
#include <vector>

namespace torva {

enum class CommandLineAction {
  kRun,          // open the window
  kCommand,      // run `command` without a window
  kHelp,         // print the usage text, exit 0
  kVersion,      // print VersionText(), exit 0
  kGadgetTable,  // print GadgetTableText() (testing builds), exit 0
  kError,        // print `error` and the usage text on standard error, exit 2
};

// Which options a build accepts beyond the shipped ones.
enum class OptionSet {
  kShipped,  // --app-dir, --help, --version
  kTesting,  // also --update-host, --probe-limit and --gadget-table (the sandbox build)
};

struct CommandLine {
  CommandLineAction action = CommandLineAction::kRun;
  std::string app_dir;      // absolute, without a final "/"; empty: the default
  std::string update_host;  // as given; empty when not given
  std::string probe_limit;  // as given; empty when not given
  std::string command;      // with kCommand: "setup", "benchmark", "prepare" or "estimate"
  std::vector<std::string> command_args;  // what follows it, but the options above
  std::string error;                      // with kError: what was wrong, for one line
};

// `args` without the program's name. Options take their value as the next
// argument or after "=" ("--app-dir DIR", "--app-dir=DIR"); a later one
// overrides an earlier one. --help and --version win over everything else but
// errors; the first error is reported. The first word that is not an option
// names a command; the arguments after it are the command's, except the
// options above, which may stand there too.
CommandLine ParseCommandLine(const std::vector<std::string>& args, OptionSet options);

// "TORVAmeter 2.8"
std::string VersionText();

// The usage lines, printed after a wrong command line.
std::string UsageLines(OptionSet options);

// The --help text: usage lines, the options, and the folders this run would
// use (`default_app_dir`, `data_dir`; either may be empty when not known).
std::string UsageText(OptionSet options, const std::string& default_app_dir,
                      const std::string& data_dir);

// The exit status of a wrong command line.
inline constexpr int kUsageExitStatus = 2;

}  // namespace torva
