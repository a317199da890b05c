#include "platform/own_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "text/paths.h"
#include "text/whole_file.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

std::string MarkOf(const std::string& folder) {
  return FolderOf(folder) + "." + FileNameOf(folder) + ".torvameter";
}

// The folder's identity as its mark records it; nullopt unless it is a
// folder (a link to one is not).
std::optional<std::string> Identity(const std::string& folder) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return std::to_string(info.st_dev) + " " + std::to_string(info.st_ino) + "\n";
}

bool Ours(const std::string& folder) {
  const std::optional<std::string> identity = Identity(folder);
  return identity && ReadWholeFile(MarkOf(folder)) == identity;
}

}  // namespace

OwnFolder MakeOwnFolder(const std::string& folder, std::error_code* error) {
  std::error_code ec;
  const auto failed = [&](std::error_code why) {
    if (error) *error = why ? why : std::make_error_code(std::errc::io_error);
    return OwnFolder::kFailed;
  };
  const fs::file_status status = fs::symlink_status(folder, ec);
  if (Ours(folder)) {
    fs::remove_all(folder, ec);  // never follows a link
    if (ec) return failed(ec);
  } else if (fs::exists(status)) {
    if (!fs::is_directory(status) || !fs::is_empty(folder, ec) || ec) return OwnFolder::kForeign;
    // An empty folder holds nothing to lose: it becomes the program's own.
  }
  fs::create_directory(folder, ec);
  const std::optional<std::string> identity = Identity(folder);
  if (ec || !identity || !fs::is_empty(folder, ec)) return failed(ec);
  errno = 0;
  if (WriteWholeFile(MarkOf(folder), *identity)) return OwnFolder::kReady;
  return failed(std::error_code(errno, std::generic_category()));
}

bool RemoveOwnFolder(const std::string& folder) {
  std::error_code ec;
  if (Ours(folder)) fs::remove_all(folder, ec);
  if (!Ours(folder)) fs::remove(MarkOf(folder), ec);
  return !Ours(folder);
}

}  // namespace torva
