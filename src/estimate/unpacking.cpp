#include "estimate/unpacking.h"

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "desktop/titles.h"
#include "estimate/estimation_names.h"
#include "estimate/estimation_steps.h"
#include "estimate/work_folder.h"
#include "platform/own_folder.h"
#include "renderer/archiver.h"
#include "text/whole_file.h"
#include "watch/window_events.h"

namespace torva {
namespace {

// Lists or extracts the archive with 7za, run from the application folder,
// its lines to `on_line` as they come; false when it failed or the user chose
// to quit meanwhile. A 7za that could not be started says why in
// `start_failure`.
bool ListOrExtract(Estimation& run, std::vector<std::string> arguments, std::string& start_failure,
                   std::function<void(const std::string&)> on_line = nullptr) {
  ArchiverWatch watch;
  watch.on_line = std::move(on_line);
  WindowEvents events(run.desktop, [&](const Event& event) {
    return run.CloseAsksToQuit(event, "the estimation");
  });
  const ArchiverRun archiver = RunArchiver(run.runner, events, run.paths.archiver,
                                           std::move(arguments), run.paths.AppDir, watch);
  start_failure = StartFailureText("7za", archiver.start_error);
  return archiver.end != RunEnd::kCloseRequested &&
         ArchiverSucceeded(archiver.exit_code, archiver.errors);
}

// A size for a message that compares two: in KB below 10 MB, so that a
// small archive on a nearly full disk does not read "0 MB, more than 0 MB";
// what is needed rounds up and what is free rounds down.
std::string SpaceText(std::uintmax_t bytes, bool round_up) {
  const std::uintmax_t unit = bytes < 10 * 1024 * 1024 ? 1024 : 1024 * 1024;
  const std::uintmax_t count = bytes / unit + (round_up && bytes % unit != 0 ? 1 : 0);
  return std::to_string(count) + (unit == 1024 ? " KB" : " MB");
}

// Why `path` is no project archive, before 7za is asked: a name that is
// not there, a pipe (which would keep 7za waiting), a file that begins as
// neither a 7z nor a zip archive does.
std::optional<std::string> NotAnArchive(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
    return "No such file: " + path;
  const int fd = OpenRegularFile(path);
  if (fd < 0) return path + " is not a plain file.";
  char start[6] = {};
  const ssize_t got = ::read(fd, start, sizeof start);
  ::close(fd);
  const std::string_view magic(start, got > 0 ? static_cast<std::size_t>(got) : 0);
  if (magic == std::string_view("7z\xBC\xAF\x27\x1C", 6) || magic.starts_with("PK\x03\x04"))
    return std::nullopt;
  return path + " is not a 7z or zip archive.";
}

void AbandonUnpacked(Estimation& run, const std::string& text) {
  run.Fail(kErrorTitle, text);
  run.desktop.ClearLog();
  RemoveOwnFolder(run.paths.WorkDir);
  run.log.Discard();
}

void WarnAboutTheProject(Estimation& run) {
  const std::string& work_dir = run.paths.WorkDir;
  const std::optional<int> active_cameras = CountActiveCameras(work_dir + "/cameras.txt");
  if (!active_cameras) {
    run.desktop.Message(kWarningTitle,
                        "cameras.txt is too large (more than " +
                            std::to_string(kMaxTextFileBytes >> 20) +
                            " MB). The estimation goes on without counting its cameras.");
  } else if (*active_cameras > 1) {
    run.desktop.Message(kWarningTitle,
                        "This is a multi-camera project.\nThe estimation will process THE "
                        "ACTIVE CAMERA ONLY!\nTo estimate the whole project, multiply by the "
                        "number of cameras.");
  }
  std::error_code ec;
  if (!std::filesystem::exists(work_dir + "/" + kProjectLogName, ec)) {
    run.desktop.Message(kWarningTitle,
                        "This project has not been prepared by TORVAmeter. The estimation "
                        "may or may not work.");
  }
}

}  // namespace

// 7za unpacks every file flat into a work folder emptied first, so that
// nothing of an earlier run that never finished is taken for this project.
// Only a plain file is opened (a pipe would hang the archiver), an archive
// whose files would not fit on the disk is refused before it fills it, and
// whatever the archive holds that is not a plain file (links above all) is
// removed before anything reads or writes there.
std::optional<std::string> Unpack(Estimation& run, const std::string& vum_path) {
  const std::string& work_dir = run.paths.WorkDir;
  if (const std::optional<std::string> why = NotAnArchive(vum_path))
    return std::string(kCannotUncompress) + "\n" + *why;
  std::error_code why;
  switch (MakeOwnFolder(work_dir, &why)) {
    case OwnFolder::kReady: break;
    case OwnFolder::kForeign: return ForeignFolderMessage(work_dir);
    case OwnFolder::kFailed:
      return std::string(kCannotUncompress) + "\nThe folder " + work_dir +
             " cannot be made ready for it: " + why.message() + ".";
  }
  std::string start_failure;
  ListedSize listed;
  const bool listing = ListOrExtract(run, {"l", "-slt", vum_path}, start_failure,
                                     [&](const std::string& line) { listed.Add(line); });
  const std::optional<std::uintmax_t> needed = listing ? listed.Bytes() : std::nullopt;
  if (!needed) return kCannotUncompress + DetailLine(start_failure);
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space(work_dir, ec);
  if (!ec && *needed > space.available) {
    return "The project archive needs " + SpaceText(*needed, true) +
           " once uncompressed, more than the " + SpaceText(space.available, false) +
           " free on the disk of " + work_dir + ".";
  }
  const bool unpacked = ListOrExtract(run, {"e", "-y", vum_path, "-o" + work_dir}, start_failure);
  RemoveUnsafeEntries(work_dir);
  if (!unpacked) return kCannotUncompress + DetailLine(start_failure);
  return std::nullopt;
}

std::optional<CameraSize> CameraSizeInArchive(Estimation& run, const std::string& vum_path) {
  const std::string& work_dir = run.paths.WorkDir;
  if (NotAnArchive(vum_path)) return std::nullopt;
  // Only a list the size of a text file is unpacked.
  std::string start_failure;
  ListedSize listed;
  const bool listing = ListOrExtract(run, {"l", "-slt", vum_path, "cameras.txt"}, start_failure,
                                     [&](const std::string& line) { listed.Add(line); });
  const std::optional<std::uintmax_t> bytes = listing ? listed.Bytes() : std::nullopt;
  if (!bytes || *bytes == 0 || *bytes > kMaxTextFileBytes ||
      MakeOwnFolder(work_dir) != OwnFolder::kReady)
    return std::nullopt;
  std::optional<CameraSize> size;
  if (ListOrExtract(run, {"e", "-y", vum_path, "-o" + work_dir, "cameras.txt"}, start_failure))
    size = ActiveCameraSize(work_dir + "/cameras.txt");
  RemoveOwnFolder(work_dir);
  return size;
}

Next UnpackProject(Estimation& run) {
  run.state.LogLine = 0;
  run.desktop.AddLogLine(0, "TORVAmeter is uncompressing the project, please wait...");
  if (const std::optional<std::string> failure = Unpack(run, run.project.vum_path)) {
    if (run.state.quit_requested)
      DiscardRun(run);
    else
      AbandonUnpacked(run, *failure);
    return Next::GiveUp();
  }
  const std::optional<std::string> scene =
      FindScene(run.paths.WorkDir, ArchiveBase(run.project.vum_path));
  if (!scene) {
    AbandonUnpacked(run, kCannotUncompress);
    return Next::GiveUp();
  }
  run.project.scene_file = *scene;
  run.project.scene_base = SceneBase(*scene);
  WarnAboutTheProject(run);
  return Next::GoOn();
}

}  // namespace torva
