#include "text/file_size.h"

#include <sys/stat.h>

#include "text/numbers.h"

namespace torva {

std::string FileSizeMB(const std::string& path) {
  struct stat info {};
  long long bytes = -1;
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) bytes = info.st_size;
  const float megabytes = static_cast<float>(bytes) / 1024.0f / 1024.0f;
  return FormatFixed(megabytes, 2) + " MB";
}

}  // namespace torva
