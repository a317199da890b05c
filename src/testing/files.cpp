#include "testing/files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace torva {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  const fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  std::ofstream(path, std::ios::binary) << text;
}

void WriteExecutable(const std::string& path, const std::string& text) {
  WriteFile(path, text);
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

}  // namespace torva
