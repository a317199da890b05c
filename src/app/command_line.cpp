#include "app/command_line.h"

#include <algorithm>
#include <filesystem>

#include "state/program.h"

namespace torva {
namespace {

std::string AbsoluteFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
  if (ec) absolute = folder;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// Options followed by a value, and where the value goes.
struct ValueOption {
  const char* name;
  std::string CommandLine::*field;
  bool testing_only;
};

constexpr const char* kCommands[] = {"setup", "benchmark", "prepare", "estimate"};

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

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, OptionSet options) {
  CommandLine line;
  bool help = false, version = false, gadgets = false;
  auto fail = [&line](const std::string& error) {
    if (line.error.empty()) line.error = error;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    }
    if (arg == "--version") {
      version = true;
      continue;
    }
    if (arg == "--gadget-table" && options == OptionSet::kTesting) {
      gadgets = true;
      continue;
    }
    const bool in_command = !line.command.empty();
    if (!in_command && (arg.size() < 2 || arg[0] != '-')) {
      if (std::find(std::begin(kCommands), std::end(kCommands), arg) == std::end(kCommands))
        fail("unknown command \"" + arg + "\"");
      else
        line.command = arg;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const bool inline_value = arg.starts_with("--") && equals != std::string::npos;
    const std::string name = inline_value ? arg.substr(0, equals) : arg;
    if (name == "--help" || name == "--version") {
      fail(name + " takes no value");
      continue;
    }
    const ValueOption* option = ValueOptionNamed(name, options);
    if (!option && in_command) {
      line.command_args.push_back(arg);  // the command reads its own options
      continue;
    }
    if (!option) {
      fail("unknown option " + name);
      continue;
    }
    std::string value;
    if (inline_value) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      fail("missing value after " + name);
      continue;
    }
    if (value.empty()) {
      fail("empty value for " + name);
      continue;
    }
    line.*(option->field) = value;
  }

  if (!line.app_dir.empty()) line.app_dir = AbsoluteFolder(line.app_dir);
  if (!line.error.empty())
    line.action = CommandLineAction::kError;
  else if (help)
    line.action = CommandLineAction::kHelp;
  else if (version)
    line.action = CommandLineAction::kVersion;
  else if (gadgets)
    line.action = CommandLineAction::kGadgetTable;
  else if (!line.command.empty())
    line.action = CommandLineAction::kCommand;
  return line;
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
      "                    start of the window (default: no)\n"
      "  benchmark         run the benchmark (--gpu: the GPU one); PHASE 1 ends\n"
      "                    after N estimations (default 3, at least 2)\n"
      "  prepare           pack SCENE.mxs into an archive; --cameras: the cameras to\n"
      "                    render (default: the active ones); --fast: zip at maximum\n"
      "                    speed; --allow-same-names: pack even when two different\n"
      "                    files of one name meet in the project\n"
      "  estimate          estimate ARCHIVE.vum at WxH pixels up to SL N (10 to 50);\n"
      "                    the render stops after S seconds, or when the prediction\n"
      "                    has settled, or when the render ends\n"
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

std::string UsageLines(OptionSet options) {
  const std::string name = options == OptionSet::kTesting ? "torvameter-sandbox" : "torvameter";
  const std::string extra =
      options == OptionSet::kTesting ? " [--update-host HOST[:PORT]] [--probe-limit SECONDS]" : "";
  const std::string indent = "       " + name + " [--app-dir DIR] ";
  return "usage: " + name + " [--app-dir DIR]" + extra + "\n" + indent +
         "setup --maxwell DIR [--login L --password P] [--updates yes|no]\n" + indent +
         "benchmark [--gpu] [--estimates N] [--json]\n" + indent +
         "prepare SCENE.mxs [--cameras all|active|1,3,...] [--fast]\n" +
         std::string(indent.size() + 18, ' ') + "[--allow-same-names] [--json]\n" + indent +
         "estimate ARCHIVE.vum --size WxH --sl N [--gpu] [--seconds S] [--json]\n" + "       " +
         name + " --help | --version\n";
}

}  // namespace torva
