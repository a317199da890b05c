#include "estimate/unpacking.h"

#include <filesystem>
#include <vector>

#include "estimate/work_folder.h"
#include "renderer/process.h"

namespace torva {
namespace {

// Runs 7za with `arguments` (its errors on standard output), the window kept
// alive; its lines, or nullopt when it failed.
std::optional<std::vector<std::string>> RunArchiver(Program& program,
                                                    std::vector<std::string> arguments) {
  arguments.push_back("-bse1");
  std::vector<std::string> lines;
  ExternalProcess archiver =
      ExternalProcess::Launch(program.paths.AppDir + "/7za", arguments, program.paths.AppDir);
  WatchRun(
      archiver, program.desktop, [](const Event&) { return RunAction::kGoOn; },
      [&](const std::string& line) {
        lines.push_back(line);
        return RunAction::kGoOn;
      },
      WatchOptions{.pause = false});
  if (!ArchiverSucceeded(archiver.ExitCode(), lines)) return std::nullopt;
  return lines;
}

std::string WholeMBText(std::uintmax_t bytes) {
  return std::to_string(bytes / 1024 / 1024) + " MB";
}

}  // namespace

bool ArchiverSucceeded(int status, const std::vector<std::string>& lines) {
  if (status < 0 || status > 2) return false;
  if (status < 2) return true;
  int refused_links = 0;
  for (const std::string& line : lines) {
    if (!line.starts_with("ERROR: ")) continue;
    if (line.find("Dangerous link path was ignored") == std::string::npos) return false;
    ++refused_links;
  }
  return refused_links > 0;
}

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
  if (!MakeEmptyWorkFolder(work_dir)) return kCannotUncompress;
  const std::optional<std::vector<std::string>> listing =
      RunArchiver(program, {"l", "-slt", vum_path});
  const std::optional<std::uintmax_t> needed = listing ? ListedBytes(*listing) : std::nullopt;
  if (!needed) return kCannotUncompress;
  const std::filesystem::space_info space = std::filesystem::space(work_dir, ec);
  if (!ec && *needed > space.available) {
    return "The project archive needs " + WholeMBText(*needed) +
           " once uncompressed, more than the " + WholeMBText(space.available) +
           " free on the disk of " + work_dir + ".";
  }
  const bool unpacked = RunArchiver(program, {"e", "-y", vum_path, "-o" + work_dir}).has_value();
  RemoveUnsafeEntries(work_dir);
  if (!unpacked) return kCannotUncompress;
  return std::nullopt;
}

}  // namespace torva
