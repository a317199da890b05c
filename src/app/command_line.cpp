#include "app/command_line.h"

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

constexpr ValueOption kValueOptions[] = {
    {"--app-dir", &CommandLine::app_dir, false},
    {"--update-host", &CommandLine::update_host, true},
    {"--probe-limit", &CommandLine::probe_limit, true},
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, OptionSet options) {
  CommandLine line;
  bool help = false, version = false;
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
    if (arg.size() < 2 || arg[0] != '-') {
      // Headless commands (a word before or among the options) go here.
      fail("unknown command \"" + arg + "\"");
      continue;
    }
    const std::size_t equals = arg.find('=');
    const bool inline_value = arg.starts_with("--") && equals != std::string::npos;
    const std::string name = inline_value ? arg.substr(0, equals) : arg;
    if (name == "--help" || name == "--version") {
      fail(name + " takes no value");
      continue;
    }
    const ValueOption* option = nullptr;
    for (const ValueOption& candidate : kValueOptions) {
      if (name == candidate.name && (!candidate.testing_only || options == OptionSet::kTesting))
        option = &candidate;
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
        "                    end the renderer's version probe after SECONDS\n";
  }
  text +=
      "  -h, --help        print this help and exit\n"
      "  --version         print the version and exit\n"
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
  const std::string name =
      options == OptionSet::kTesting ? "torvameter-sandbox" : "torvameter";
  const std::string extra =
      options == OptionSet::kTesting ? " [--update-host HOST[:PORT]] [--probe-limit SECONDS]" : "";
  return "usage: " + name + " [--app-dir DIR]" + extra + "\n" +
         "       " + name + " --help | --version\n";
}

}  // namespace torva
