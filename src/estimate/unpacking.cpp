#include "estimate/unpacking.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "estimate/work_folder.h"
#include "platform/own_folder.h"
#include "renderer/archiver.h"

namespace torva {
namespace {

// Runs 7za from the application folder; its lines, or nullopt when it failed
// or the user chose to quit meanwhile.
std::optional<std::vector<std::string>> Archive(Program& program,
                                                std::vector<std::string> arguments) {
  ArchiverWatch watch;
  watch.on_event = [&](const Event& event) {
    return CloseAsksToQuit(program, event, "the estimation");
  };
  ArchiverRun run = RunArchiver(program.desktop, program.paths.AppDir + "/7za",
                                std::move(arguments), program.paths.AppDir, watch);
  if (run.end == RunEnd::kCloseRequested || !ArchiverSucceeded(run.exit_code, run.lines))
    return std::nullopt;
  return std::move(run.lines);
}

std::string WholeMBText(std::uintmax_t bytes) {
  return std::to_string(bytes / 1024 / 1024) + " MB";
}

}  // namespace

// 7za unpacks every file flat into a work folder emptied first, so that
// nothing of an earlier run that never finished is taken for this project.
// Only a plain file is opened (a pipe would hang the archiver), an archive
// whose files would not fit on the disk is refused before it fills it, and
// whatever the archive holds that is not a plain file (links above all) is
// removed before anything reads or writes there.
std::optional<std::string> Unpack(Program& program, const std::string& vum_path) {
  const std::string& work_dir = program.paths.WorkDir;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(vum_path, ec)) return kCannotUncompress;
  switch (MakeOwnFolder(work_dir)) {
    case OwnFolder::kReady: break;
    case OwnFolder::kForeign: return ForeignFolderMessage(work_dir);
    case OwnFolder::kFailed: return kCannotUncompress;
  }
  const std::optional<std::vector<std::string>> listing = Archive(program, {"l", "-slt", vum_path});
  const std::optional<std::uintmax_t> needed = listing ? ListedBytes(*listing) : std::nullopt;
  if (!needed) return kCannotUncompress;
  const std::filesystem::space_info space = std::filesystem::space(work_dir, ec);
  if (!ec && *needed > space.available) {
    return "The project archive needs " + WholeMBText(*needed) +
           " once uncompressed, more than the " + WholeMBText(space.available) +
           " free on the disk of " + work_dir + ".";
  }
  const bool unpacked = Archive(program, {"e", "-y", vum_path, "-o" + work_dir}).has_value();
  RemoveUnsafeEntries(work_dir);
  if (!unpacked) return kCannotUncompress;
  return std::nullopt;
}

}  // namespace torva
