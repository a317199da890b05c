#include "platform/folders.h"

#include <filesystem>

namespace torva {

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

void MakeFolderIfMissing(const std::string& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator probe(folder, ec);
  if (ec) std::filesystem::create_directories(folder, ec);
}

}  // namespace torva
