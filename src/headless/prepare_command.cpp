// prepare: the window's "Prepare project" with the answers of the command line.
#include <algorithm>
#include <filesystem>

#include "headless/command_runs.h"
#include "prepare/prepare_project.h"
#include "prepare/scene_name.h"
#include "text/json.h"

namespace torva {
namespace {

// The window lists the cameras the program holds, in their order.
TickAnswer TickCameras(const CameraPick& pick, const std::vector<Camera>& cameras) {
  std::vector<bool> ticks(cameras.size(), pick.kind == CameraPick::Kind::kAll);
  switch (pick.kind) {
    case CameraPick::Kind::kAll: break;
    case CameraPick::Kind::kActive:
      for (std::size_t i = 0; i < cameras.size(); ++i) ticks[i] = cameras[i].active;
      if (std::find(ticks.begin(), ticks.end(), true) == ticks.end())
        return {std::nullopt,
                "the scene has no active camera: give --cameras all or their "
                "numbers (1 to " +
                    std::to_string(cameras.size()) + ")"};
      break;
    case CameraPick::Kind::kListed:
      for (const int number : pick.numbers) {
        if (number > static_cast<int>(cameras.size())) {
          return {std::nullopt, "--cameras: the scene has " + std::to_string(cameras.size()) +
                                    " cameras, not " + std::to_string(number)};
        }
        ticks[number - 1] = true;
      }
      break;
  }
  return {ticks, ""};
}

// A camera's fields; null for a size or lens the camera script did not give.
JsonValue CameraJson(const Camera& camera) {
  // Sizes have always gone out as doubles: a million pixels reads 1e+06.
  const auto pixels = [](int size) {
    return size > 0 ? JsonValue(static_cast<double>(size)) : JsonValue();
  };
  return JsonValue::Object()
      .Add("name", camera.name)
      .Add("width", pixels(camera.width))
      .Add("height", pixels(camera.height))
      .Add("lens_mm", camera.lens)
      .Add("active", camera.active)
      .Add("render", camera.chosen.value_or(false));
}

// What the preparation made: the files it gathered, the cameras and their
// marks, the archive.
JsonValue PreparationJson(const PreparationOutcome& prepared) {
  JsonValue files = JsonValue::Array();
  for (const std::string& file : prepared.files) files.items.emplace_back(file);
  JsonValue cameras = JsonValue::Array();
  for (const Camera& camera : prepared.cameras) cameras.items.push_back(CameraJson(camera));
  return JsonValue::Object()
      .Add("scene", prepared.scene)
      .Add("files", std::move(files))
      .Add("cameras", std::move(cameras))
      .Add("compression", prepared.fastest ? "fastest" : "maximum")
      .Add("archive_bytes", prepared.archive_bytes)
      .Add("archive", prepared.archive);
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
  std::vector<Camera> found;
  desktop.SetTickRule(
      [&](const std::vector<std::string>&) { return TickCameras(command.cameras, found); });
  PreparationOptions options;
  options.on_cameras = [&found](const std::vector<Camera>& cameras) { found = cameras; };

  const PreparationOutcome prepared = RunPrepareProject(program, options);
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
