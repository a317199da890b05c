// prepare: the window's "Prepare project" with the answers of the command line.
#include <filesystem>

#include "headless/command_runs.h"
#include "prepare/camera_list.h"
#include "prepare/prepare_project.h"
#include "prepare/scene_name.h"
#include "text/json.h"
#include "text/text.h"

namespace torva {
namespace {

TickAnswer TickCameras(const CameraPick& pick, const std::vector<std::string>& labels) {
  std::vector<bool> ticks(labels.size(), pick.kind == CameraPick::Kind::kAll);
  switch (pick.kind) {
    case CameraPick::Kind::kAll: break;
    case CameraPick::Kind::kActive:
      // The camera script marks the scene's active cameras in their details.
      for (std::size_t i = 0; i < labels.size(); ++i) ticks[i] = labels[i].ends_with(", active)");
      if (std::find(ticks.begin(), ticks.end(), true) == ticks.end())
        return {std::nullopt,
                "the scene has no active camera: give --cameras all or their "
                "numbers (1 to " +
                    std::to_string(labels.size()) + ")"};
      break;
    case CameraPick::Kind::kListed:
      for (const int number : pick.numbers) {
        if (number > static_cast<int>(labels.size())) {
          return {std::nullopt, "--cameras: the scene has " + std::to_string(labels.size()) +
                                    " cameras, not " + std::to_string(number)};
        }
        ticks[number - 1] = true;
      }
      break;
  }
  return {ticks, ""};
}

JsonValue Text(const std::string& text) {
  JsonValue value;
  value.type = JsonValue::Type::kString;
  value.text = text;
  return value;
}

JsonValue Member(JsonValue object, const std::string& key, JsonValue value) {
  object.members.emplace_back(key, std::move(value));
  return object;
}

// What the preparation made: the files it gathered, the cameras and their
// marks, the archive.
std::string PreparationJson(const PreparationOutcome& prepared) {
  JsonValue result;
  result.type = JsonValue::Type::kObject;
  result.members.emplace_back("scene", Text(prepared.scene));
  JsonValue files;
  files.type = JsonValue::Type::kArray;
  for (const std::string& file : prepared.files) files.items.push_back(Text(file));
  result.members.emplace_back("files", files);
  JsonValue cameras;
  cameras.type = JsonValue::Type::kArray;
  for (const std::string& line : prepared.cameras) {
    JsonValue render;
    render.type = JsonValue::Type::kBool;
    render.boolean = line.ends_with(";1");
    const std::string unmarked = line.substr(0, line.rfind(';'));
    JsonValue camera;
    camera.type = JsonValue::Type::kObject;
    camera =
        Member(Member(std::move(camera), "camera", Text(CameraLabel(unmarked))), "render", render);
    cameras.items.push_back(std::move(camera));
  }
  result.members.emplace_back("cameras", cameras);
  result.members.emplace_back("compression", Text(prepared.fastest ? "fastest" : "maximum"));
  JsonValue bytes;
  bytes.type = JsonValue::Type::kNumber;
  bytes.text = std::to_string(prepared.archive_bytes);
  result.members.emplace_back("archive_bytes", bytes);
  result.members.emplace_back("archive", Text(prepared.archive));
  return JsonLine(result);
}

}  // namespace

HeadlessOutcome RunHeadlessPrepare(const HeadlessCommand& command, Program& program,
                                   TerminalDesktop& desktop) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(command.scene, ec))
    return HeadlessOutcome::Failed(command.scene + ": no such scene file");
  desktop.AddReply(
      {.question = QuestionId::kScene, .answer = command.scene, .argument = "SCENE.mxs"});
  desktop.AddReply({.question = QuestionId::kMissingFile,
                    .failure = "a file the scene needs is neither where the scene says nor "
                               "below the scene's folder"});
  desktop.AddReply({.question = QuestionId::kSameNames,
                    .answer = command.allow_same_names ? "yes" : "no",
                    .argument = command.allow_same_names ? "--allow-same-names" : "",
                    .failure = command.allow_same_names
                                   ? ""
                                   : "different files of one name would meet in the project: "
                                     "give --allow-same-names to pack it anyway",
                    .shown = true});
  desktop.AddReply({.question = QuestionId::kCompression,
                    .answer = command.fast ? "no" : "yes",
                    .argument = command.fast ? "--fast" : ""});
  desktop.AddReply(QuitOnInterrupt());
  desktop.SetTickRule([&command](const std::vector<std::string>& labels) {
    return TickCameras(command.cameras, labels);
  });

  const PreparationOutcome prepared = RunPrepareProject(program);
  HeadlessOutcome outcome;
  outcome.failure = FailureOf(prepared, desktop);
  if (!outcome.failure.empty()) return outcome;
  outcome.json = PreparationJson(prepared);
  outcome.summary = "Archive: " + prepared.archive + " (" + std::to_string(prepared.archive_bytes) +
                    " bytes, " + (prepared.fastest ? "zip, fastest" : "7z, maximum compression") +
                    ")";
  return outcome;
}

}  // namespace torva
