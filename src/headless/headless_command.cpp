#include "headless/headless_command.h"

#include <algorithm>
#include <map>

#include "estimate/estimation_questions.h"
#include "platform/folders.h"
#include "prepare/scene_name.h"
#include "renderer/render_limits.h"

namespace torva {
namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits with at most one "." among them: what an input box would take as typed.
bool PlainDecimal(const std::string& text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string::npos) return AllDigits(text);
  return AllDigits(text.substr(0, dot)) && AllDigits(text.substr(dot + 1));
}

std::optional<CameraPick> ReadCameras(const std::string& text) {
  CameraPick pick;
  if (text == "active") return pick;
  if (text == "all") {
    pick.kind = CameraPick::Kind::kAll;
    return pick;
  }
  pick.kind = CameraPick::Kind::kListed;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string number =
        text.substr(start, comma == std::string::npos ? comma : comma - start);
    if (!AllDigits(number) || std::stoi(number) < 1) return std::nullopt;
    if (std::find(pick.numbers.begin(), pick.numbers.end(), std::stoi(number)) ==
        pick.numbers.end())
      pick.numbers.push_back(std::stoi(number));
    if (comma == std::string::npos) return pick;
    start = comma + 1;
  }
}

// The options each command takes; true for those followed by a value.
const std::map<std::string, bool>& OptionsOf(HeadlessKind kind) {
  static const std::map<HeadlessKind, std::map<std::string, bool>> options = {
      {HeadlessKind::kSetup,
       {{"--maxwell", true},
        {"--login", true},
        {"--password", true},
        {"--password-file", true},
        {"--updates", true}}},
      {HeadlessKind::kBenchmark, {{"--gpu", false}, {"--estimates", true}, {"--json", false}}},
      {HeadlessKind::kPrepare,
       {{"--cameras", true}, {"--fast", false}, {"--allow-same-names", false}, {"--json", false}}},
      {HeadlessKind::kEstimate,
       {{"--size", true},
        {"--sl", true},
        {"--gpu", false},
        {"--seconds", true},
        {"--json", false}}},
  };
  return options.at(kind);
}

// Checks one option's value and keeps it; an error text when it is wrong.
std::string TakeOption(HeadlessCommand& command, const std::string& name,
                       const std::string& value) {
  if (name == "--json")
    command.json = true;
  else if (name == "--gpu")
    command.gpu = true;
  else if (name == "--fast")
    command.fast = true;
  else if (name == "--allow-same-names")
    command.allow_same_names = true;
  else if (name == "--maxwell")
    command.maxwell_dir = AbsolutePath(value);
  else if (name == "--login")
    command.login = value;
  else if (name == "--password" || name == "--password-file") {
    using From = HeadlessCommand::PasswordFrom;
    if (command.password_from != From::kNone) return "give the password once";
    if (name == "--password-file") {
      command.password_from = From::kFile;
      command.password_file = value;
    } else if (value == "-") {
      command.password_from = From::kStandardInput;
    } else {
      command.password_from = From::kArgument;
      command.password = value;
    }
  } else if (name == "--updates") {
    if (value != "yes" && value != "no") return "--updates takes yes or no";
    command.check_updates = value == "yes";
  } else if (name == "--estimates") {
    if (!AllDigits(value) || std::stoi(value) < 2)
      return "--estimates takes a whole number of at least 2";
    command.estimates = std::stoi(value);
  } else if (name == "--cameras") {
    const std::optional<CameraPick> pick = ReadCameras(value);
    if (!pick) return "--cameras takes all, active, or camera numbers from 1 such as 1,3";
    command.cameras = *pick;
  } else if (name == "--size") {
    const std::size_t x = value.find_first_of("xX");
    const std::string width = value.substr(0, x),
                      height = x == std::string::npos ? "" : value.substr(x + 1);
    if (!AllDigits(width) || !AllDigits(height) || !ResolutionFromAnswer(width) ||
        !ResolutionFromAnswer(height))
      return "--size takes WxH, each from " + std::to_string(kMinRenderSide) + " to " +
             std::to_string(kMaxRenderSide) + " pixels (for example 1920x1080)";
    command.width = width;
    command.height = height;
  } else if (name == "--sl") {
    if (!PlainDecimal(value) || !SamplingLevelFromAnswer(value))
      return "--sl takes a sampling level from " + std::to_string(kMinSamplingLevel) + " to " +
             std::to_string(kMaxSamplingLevel);
    command.sl = value;
  } else if (name == "--seconds") {
    if (!PlainDecimal(value) || std::stod(value) <= 0)
      return "--seconds takes a number of seconds above 0";
    command.seconds = std::stod(value);
  }
  return "";
}

// What the command needs beyond single options.
std::string CheckComplete(const HeadlessCommand& command, const std::vector<std::string>& words) {
  const bool takes_word =
      command.kind == HeadlessKind::kPrepare || command.kind == HeadlessKind::kEstimate;
  if (!takes_word && !words.empty()) return "unexpected argument \"" + words.front() + "\"";
  if (takes_word && words.size() > 1) return "unexpected argument \"" + words[1] + "\"";
  switch (command.kind) {
    case HeadlessKind::kSetup:
      if (command.maxwell_dir.empty()) return "setup needs --maxwell DIR";
      if (command.login.empty() && command.password_from != HeadlessCommand::PasswordFrom::kNone)
        return "--login and --password go together";
      return "";
    case HeadlessKind::kBenchmark: return "";
    case HeadlessKind::kPrepare:
      if (words.empty()) return "prepare needs the scene (SCENE.mxs)";
      if (!IsSceneFile(words.front()))
        return "\"" + words.front() + "\" is not a Maxwell Render scene (.mxs)";
      return "";
    case HeadlessKind::kEstimate:
      if (words.empty()) return "estimate needs the project archive (ARCHIVE.vum)";
      if (command.width.empty()) return "estimate needs --size WxH";
      if (command.sl.empty()) return "estimate needs --sl N";
      return "";
  }
  return "";
}

}  // namespace

HeadlessCommand ParseHeadlessCommand(HeadlessKind kind, const std::vector<std::string>& args) {
  HeadlessCommand command;
  command.kind = kind;
  const std::map<std::string, bool>& options = OptionsOf(kind);
  std::vector<std::string> words;
  auto fail = [&command](const std::string& error) {
    if (command.error.empty()) command.error = error;
  };
  std::size_t next = 0;
  while (next < args.size()) {
    const std::string& arg = args[next++];
    if (arg.size() < 2 || arg[0] != '-') {
      words.push_back(arg);
      continue;
    }
    const OptionArgument option = SplitOption(arg);
    const auto known = options.find(option.name);
    if (known == options.end()) {
      fail("unknown option " + option.name + " for " + CommandWord(kind));
      continue;
    }
    std::string value;
    if (!known->second) {
      if (option.value) fail(option.name + " takes no value");
    } else {
      const OptionValue given = ValueOfOption(option, args, next);
      if (!given.error.empty()) {
        fail(given.error);
        continue;
      }
      value = given.value;
    }
    if (const std::string error = TakeOption(command, option.name, value); !error.empty())
      fail(error);
  }
  if (command.error.empty()) fail(CheckComplete(command, words));
  // A login without a password on the command line takes it from the environment.
  if (!command.login.empty() && command.password_from == HeadlessCommand::PasswordFrom::kNone)
    command.password_from = HeadlessCommand::PasswordFrom::kEnvironment;
  if (!words.empty()) {
    if (command.kind == HeadlessKind::kPrepare) command.scene = AbsolutePath(words.front());
    if (command.kind == HeadlessKind::kEstimate) command.archive = AbsolutePath(words.front());
  }
  return command;
}

}  // namespace torva
