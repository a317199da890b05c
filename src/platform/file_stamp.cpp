#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace torva {

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
#ifdef __APPLE__
  const timespec& modified = info.st_mtimespec;
#else
  const timespec& modified = info.st_mtim;
#endif
  return FileStamp{static_cast<unsigned long long>(info.st_dev),
                   static_cast<unsigned long long>(info.st_ino),
                   static_cast<long long>(info.st_size),
                   static_cast<long long>(modified.tv_sec) * 1'000'000'000LL + modified.tv_nsec};
}

}  // namespace torva
