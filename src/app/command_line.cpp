#include "app/command_line.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "renderer/render_limits.h"
#include "state/program.h"
#include "watch/stop_rules.h"

namespace torva {
namespace {

// Options followed by a value, and where the value goes.
struct ValueOption {
  const char* name;
  std::string CommandLine::*field;
  bool testing_only;
};

struct CommandName {
  HeadlessKind kind;
  const char* word;
};

constexpr CommandName kCommands[] = {
    {HeadlessKind::kSetup, "setup"},
    {HeadlessKind::kBenchmark, "benchmark"},
    {HeadlessKind::kPrepare, "prepare"},
    {HeadlessKind::kEstimate, "estimate"},
};

constexpr ValueOption kValueOptions[] = {
    {"--app-dir", &CommandLine::app_dir, false},
    {"--update-host", &CommandLine::update_host, true},
    {"--probe-limit", &CommandLine::probe_limit, true},
};

// The option taking a value called `name`; nullptr when there is none (the
// testing options exist only in the programs the tests run).
const ValueOption* ValueOptionNamed(const std::string& name, OptionSet options) {
  for (const ValueOption& candidate : kValueOptions) {
    if (name == candidate.name && (!candidate.testing_only || options == OptionSet::kTesting))
      return &candidate;
  }
  return nullptr;
}

// Reads the arguments one by one into a CommandLine; the first error stays.
class Parser {
 public:
  Parser(const std::vector<std::string>& args, OptionSet options)
      : args_(args), options_(options) {}

  CommandLine Parse() {
    while (next_ < args_.size()) Take(args_[next_++]);
    if (!line_.app_dir.empty()) line_.app_dir = AbsolutePath(line_.app_dir);
    line_.action = Action();
    return line_;
  }

 private:
  void Take(const std::string& arg) {
    if (TakeFlag(arg)) return;
    const bool in_command = line_.command.has_value();
    if (!in_command && (arg.size() < 2 || arg[0] != '-')) return TakeCommand(arg);
    const OptionArgument option = SplitOption(arg);
    if (option.name == "--help" || option.name == "--version")
      return Fail(option.name + " takes no value");
    const ValueOption* known = ValueOptionNamed(option.name, options_);
    if (!known && in_command) {
      line_.command_args.push_back(arg);  // the command reads its own options
      return;
    }
    if (!known) return Fail("unknown option " + option.name);
    const OptionValue value = ValueOfOption(option, args_, next_);
    if (!value.error.empty()) return Fail(value.error);
    line_.*(known->field) = value.value;
  }

  bool TakeFlag(const std::string& arg) {
    if (arg == "--help" || arg == "-h") return help_ = true;
    if (arg == "--version") return version_ = true;
    if (arg == "--gadget-table" && options_ == OptionSet::kTesting) return gadgets_ = true;
    return false;
  }

  void TakeCommand(const std::string& arg) {
    line_.command = CommandNamed(arg);
    if (!line_.command) Fail("unknown command \"" + arg + "\"");
  }

  void Fail(const std::string& error) {
    if (line_.error.empty()) line_.error = error;
  }

  CommandLineAction Action() const {
    if (!line_.error.empty()) return CommandLineAction::kError;
    if (help_) return CommandLineAction::kHelp;
    if (version_) return CommandLineAction::kVersion;
    if (gadgets_) return CommandLineAction::kGadgetTable;
    if (line_.command) return CommandLineAction::kCommand;
    return CommandLineAction::kRun;
  }

  const std::vector<std::string>& args_;
  OptionSet options_;
  std::size_t next_ = 0;
  CommandLine line_;
  bool help_ = false, version_ = false, gadgets_ = false;
};

}  // namespace

const char* CommandWord(HeadlessKind kind) {
  for (const CommandName& command : kCommands) {
    if (command.kind == kind) return command.word;
  }
  return "";
}

std::optional<HeadlessKind> CommandNamed(std::string_view word) {
  for (const CommandName& command : kCommands) {
    if (word == command.word) return command.kind;
  }
  return std::nullopt;
}

OptionArgument SplitOption(const std::string& arg) {
  const std::size_t equals = arg.find('=');
  if (!arg.starts_with("--") || equals == std::string::npos) return {arg, std::nullopt};
  return {arg.substr(0, equals), arg.substr(equals + 1)};
}

OptionValue ValueOfOption(const OptionArgument& option, const std::vector<std::string>& args,
                          std::size_t& next) {
  if (!option.value && next >= args.size()) return {"", "missing value after " + option.name};
  const std::string value = option.value ? *option.value : args[next++];
  if (value.empty()) return {"", "empty value for " + option.name};
  return {value, ""};
}

CommandLine ParseCommandLine(const std::vector<std::string>& args, OptionSet options) {
  return Parser(args, options).Parse();
}

std::string VersionText() { return "TORVAmeter " + Constants{}.ProgramVersion; }

std::string UsageText(OptionSet options, const std::string& default_app_dir,
                      const std::string& data_dir) {
  const bool testing = options == OptionSet::kTesting;
  std::string text = UsageLines(options);
  text +=
      "\n"
      "TORVAmeter for Maxwell Render: prepares Maxwell scenes for the TORVA render\n"
      "farm, benchmarks this computer against the farm, and estimates a project's\n"
      "farm time and cost.\n"
      "\n"
      "Options:\n"
      "  --app-dir DIR     use DIR as the application folder (settings, benchmark,\n"
      "                    archives, estimations) instead of the default one\n";
  if (testing) {
    text +=
        "  --update-host HOST[:PORT]\n"
        "                    ask this update server instead of the farm's\n"
        "  --probe-limit SECONDS\n"
        "                    end the renderer's version probe after SECONDS\n"
        "  --gadget-table    print the main window's gadgets (number, x, y, width,\n"
        "                    height, label) and exit\n";
  }
  text +=
      "  -h, --help        print this help and exit\n"
      "  --version         print the version and exit\n"
      "\n"
      "Commands (no window; progress and messages on standard error; exit status 0\n"
      "done, 1 failed, 2 wrong command line):\n"
      "  setup             write the settings: the Maxwell Render folder, the TORVA\n"
      "                    login and password, whether to look for updates at each\n"
      "                    start of the window (default: no); with --login the\n"
      "                    password is read from standard input (--password -), from\n"
      "                    the first line of FILE (--password-file FILE), or else from\n"
      "                    the environment variable TORVAMETER_PASSWORD. --password P\n"
      "                    works too, but every user of this computer can see P (ps)\n"
      "                    and the shell's history keeps it: the other ways are safer\n"
      "  benchmark         run the benchmark (--gpu: the GPU one); PHASE 1 ends once\n"
      "                    its estimations have settled, at the latest after " +
      std::to_string(static_cast<int>(kPhase1LimitSeconds / 60)) +
      " min,\n"
      "                    or after N with --estimates N (at least 2)\n"
      "  prepare           pack SCENE.mxs into an archive; --cameras: the cameras to\n"
      "                    render (default: the active ones); --fast: zip at maximum\n"
      "                    speed; --allow-same-names: pack even when two different\n"
      "                    files of one name meet in the project\n"
      "  estimate          estimate ARCHIVE.vum at WxH pixels up to SL N (" +
      std::to_string(kMinSamplingLevel) + " to " + std::to_string(kMaxSamplingLevel) +
      ");\n"
      "                    the render stops after --seconds S from its start, or else\n"
      "                    once the predictions have settled (at the latest after " +
      std::to_string(static_cast<int>(kEstimationLimitSeconds / 60)) +
      "\n"
      "                    min of rendering), or when the render ends\n"
      "  --json            print the result as one JSON object on standard output\n"
      "\n"
      "Folders:\n"
      "  application folder  " +
      (default_app_dir.empty() ? std::string("(unknown: give --app-dir)") : default_app_dir) +
      "\n"
      "  installed data      " +
      (data_dir.empty() ? std::string("(none found)") : data_dir) + "\n";
  return text;
}

namespace {

constexpr std::size_t kColumns = 80;

// One usage line of `parts` (each kept whole) after `start`, its continuations
// indented under the command, none over 80 columns.
std::string UsageLine(const std::string& start, const std::vector<std::string>& parts) {
  const std::string indent(11, ' ');
  std::string text, line = start;
  for (const std::string& part : parts) {
    if (line.size() + 1 + part.size() > kColumns && line.size() > indent.size()) {
      text += line + "\n";
      line = indent;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
    line += part;
  }
  return text + line + "\n";
}

}  // namespace

std::string UsageLines(OptionSet options) {
  const bool testing = options == OptionSet::kTesting;
  const std::string name = testing ? "torvameter-sandbox" : "torvameter";
  const std::string with = "       " + name + " [--app-dir DIR] ";
  std::vector<std::string> window = {"[--app-dir DIR]"};
  if (testing)
    window.insert(window.end(), {"[--update-host HOST[:PORT]]", "[--probe-limit SECONDS]"});
  return UsageLine("usage: " + name, window) +
         UsageLine(with, {"setup --maxwell DIR", "[--updates yes|no]",
                          "[--login L [--password -|--password-file FILE|--password P]]"}) +
         UsageLine(with, {"benchmark", "[--gpu]", "[--estimates N]", "[--json]"}) +
         UsageLine(with, {"prepare SCENE.mxs", "[--cameras all|active|1,3,...]", "[--fast]",
                          "[--allow-same-names]", "[--json]"}) +
         UsageLine(with, {"estimate ARCHIVE.vum", "--size WxH", "--sl N", "[--gpu]",
                          "[--seconds S]", "[--json]"}) +
         "       " + name + " --help | --version\n";
}

}  // namespace torva
