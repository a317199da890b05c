// The program's command line, read before anything else starts (no display
// is needed for --help, --version and the commands that run without a window).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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

// The commands that run without a window.
enum class HeadlessKind { kSetup, kBenchmark, kPrepare, kEstimate };

// The word that names `kind` on the command line: "setup", "benchmark",
// "prepare" or "estimate".
const char* CommandWord(HeadlessKind kind);

// The command `word` names; nullopt when it names none.
std::optional<HeadlessKind> CommandNamed(std::string_view word);

// Which options a build accepts beyond the shipped ones.
enum class OptionSet {
  kShipped,  // --app-dir, --help, --version
  kTesting,  // also --update-host, --probe-limit and --gadget-table (the sandbox build)
};

struct CommandLine {
  CommandLineAction action = CommandLineAction::kRun;
  std::string app_dir;                    // absolute, without a final "/"; empty: the default
  std::string update_host;                // as given; empty when not given
  std::string probe_limit;                // as given; empty when not given
  std::optional<HeadlessKind> command;    // with kCommand: the command to run
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

// An argument that starts with "-": the option's name, and the value written
// with it when a long option is given as "--name=value".
struct OptionArgument {
  std::string name;
  std::optional<std::string> value;
};
OptionArgument SplitOption(const std::string& arg);

// The value of an option that takes one: the value written with it, or else
// `args[next]`, which `next` then moves past. `error` tells when there is
// none or it is empty.
struct OptionValue {
  std::string value;
  std::string error;
};
OptionValue ValueOfOption(const OptionArgument& option, const std::vector<std::string>& args,
                          std::size_t& next);

// The exit status of a wrong command line.
inline constexpr int kUsageExitStatus = 2;

}  // namespace torva
