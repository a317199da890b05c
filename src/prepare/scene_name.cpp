#include "prepare/scene_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#ifdef __linux__
#include <sys/syscall.h>
#endif

#include "text/utf8.h"

namespace torva {

std::string ExtensionPart(std::string_view path) {
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool IsSceneFile(std::string_view path) {
  return path.size() >= 3 && Lowered(path.substr(path.size() - 3)) == "mxs";
}

std::string BlankFreePath(std::string_view path) {
  std::string name = FileNameOf(path);
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return FolderOf(path) + name;
}

std::string ShortenedPath(std::string_view path) {
  const std::string name = FileNameOf(path);
  if (Utf8Length(name) <= kMaxSceneNameChars) return std::string(path);
  return FolderOf(path) + name.substr(0, Utf8PrefixBytes(name, 20)) + "." + ExtensionPart(path);
}

std::string SceneNameOf(std::string_view path) {
  const std::string name = FileNameOf(path);
  const std::string lowered = Lowered(name);
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = lowered.find(".mxs", from)) != std::string::npos; from = at + 4)
    out.append(name, from, at - from);
  out.append(name, from);
  return out;
}

RenameResult RenameWithoutReplacing(const std::string& from, const std::string& to) {
  struct stat info {};
  if (lstat(to.c_str(), &info) == 0) return RenameResult::kTargetExists;
#if defined(__linux__) && defined(SYS_renameat2)
  // The check above leaves a short window; the kernel closes it where it can.
  constexpr unsigned kNoReplace = 1;  // RENAME_NOREPLACE
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kNoReplace) == 0)
    return RenameResult::kDone;
  if (errno == EEXIST) return RenameResult::kTargetExists;
  if (errno != EINVAL && errno != ENOSYS) return RenameResult::kFailed;
#elif defined(__APPLE__)
  if (renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) return RenameResult::kDone;
  if (errno == EEXIST) return RenameResult::kTargetExists;
  if (errno != ENOTSUP) return RenameResult::kFailed;
#endif
  return std::rename(from.c_str(), to.c_str()) == 0 ? RenameResult::kDone : RenameResult::kFailed;
}

}  // namespace torva
