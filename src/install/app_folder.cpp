#include "install/app_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace torva {
namespace {

namespace fs = std::filesystem;

bool IsAbsolute(const char* folder) { return folder && folder[0] == '/'; }

std::string WithoutTrailingSlashes(std::string folder) {
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder;
}

// Anything under that name, a broken link included.
bool Taken(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class Layout {
 public:
  LayoutReport report;

  void Folder(const std::string& path) {
    if (Taken(path)) return;
    if (mkdir(path.c_str(), 0755) == 0)
      report.added.push_back(path);
    else if (errno != EEXIST)
      report.failed.push_back(path);
  }

  // Copied under a name of its own first, then linked to its final name,
  // which fails rather than replaces when the name has been taken meanwhile.
  void File(const std::string& from, const std::string& to) {
    if (Taken(to)) return;
    const std::string part = to + ".part-" + std::to_string(getpid());
    std::error_code ec;
    fs::remove(part, ec);
    bool made = fs::copy_file(from, part, fs::copy_options::none, ec);
    if (made) {
      made = link(part.c_str(), to.c_str()) == 0;
      const bool lost_race = !made && errno == EEXIST;
      // File systems without hard links: a rename, the name checked just before.
      if (!made && !lost_race && !Taken(to)) made = rename(part.c_str(), to.c_str()) == 0;
      fs::remove(part, ec);
      if (lost_race) return;
    }
    if (made)
      report.added.push_back(to);
    else
      report.failed.push_back(to);
  }

  void Link(const std::string& target, const std::string& path) {
    if (Taken(path)) return;
    if (!target.empty() && symlink(target.c_str(), path.c_str()) == 0)
      report.added.push_back(path);
    else if (target.empty() || errno != EEXIST)
      report.failed.push_back(path);
  }

  // Every folder and regular file below `from`, in a stable order.
  void Tree(const std::string& from, const std::string& to) {
    Folder(to);
    if (!IsFolder(to)) {
      // Something else of the user's under that name.
      if (report.failed.empty() || report.failed.back() != to) report.failed.push_back(to);
      return;
    }
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec))
      entries.push_back(*it);
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& entry : entries) {
      const std::string name = entry.path().filename().string();
      if (entry.is_symlink(ec)) continue;
      if (entry.is_directory(ec))
        Tree(entry.path().string(), to + "/" + name);
      else if (entry.is_regular_file(ec))
        File(entry.path().string(), to + "/" + name);
    }
  }
};

}  // namespace

std::string AppFolderFor(const char* xdg_data_home, const char* home) {
#ifdef __APPLE__
  (void)xdg_data_home;
  (void)home;
  return std::string("/Applications/") + kAppFolderName;
#else
  std::string base;
  if (IsAbsolute(xdg_data_home))
    base = xdg_data_home;
  else if (IsAbsolute(home))
    base = WithoutTrailingSlashes(home) + "/.local/share";
  else
    return "";
  return WithoutTrailingSlashes(base) + "/" + kAppFolderName;
#endif
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir)
    return found->pw_dir;
  return "";
}

std::string DefaultAppFolder() {
  const std::string home = HomeFolder();
  return AppFolderFor(std::getenv("XDG_DATA_HOME"), home.c_str());
}

std::string StateFolderFor(const char* xdg_state_home, const std::string& home) {
  if (IsAbsolute(xdg_state_home)) return WithoutTrailingSlashes(xdg_state_home) + "/torvameter";
  if (!IsAbsolute(home.c_str())) return "";
  return WithoutTrailingSlashes(home) + "/.local/state/torvameter";
}

std::string FindDataFolder(const std::string& executable, const std::string& system_data_dir) {
  std::vector<std::string> candidates;
  if (!executable.empty()) {
    const fs::path beside = fs::path(executable).parent_path() / ".." / "share" / kDataFolderName;
    candidates.push_back(beside.lexically_normal().string());
  }
  if (!system_data_dir.empty()) candidates.push_back(system_data_dir);
  for (std::string& folder : candidates) {
    folder = WithoutTrailingSlashes(folder);
    if (!folder.empty() && IsFolder(folder + "/" + kBenchmarkFolderName)) return folder;
  }
  return "";
}

std::string InstalledDataFolder() {
#ifdef __APPLE__
  return "";
#else
  std::error_code ec;
  const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
  return FindDataFolder(ec ? std::string() : executable.string(),
                        std::string("/usr/share/") + kDataFolderName);
#endif
}

std::string FindOnPath(const std::string& name, const std::string& path) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(start, end - start);
    start = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    std::string candidate = WithoutTrailingSlashes(folder) + "/" + name;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return "";
}

LayoutReport LayOutAppFolder(const std::string& app_dir, const std::string& data_dir,
                             const std::string& archiver) {
  Layout layout;
  const std::string app = WithoutTrailingSlashes(app_dir);
  const std::string data = WithoutTrailingSlashes(data_dir);
  std::error_code ec;
  if (!Taken(app) && fs::create_directories(app, ec)) layout.report.added.push_back(app);
  if (!IsFolder(app)) {
    layout.report.failed.push_back(app);
    return layout.report;
  }

  const AppPaths paths = AppPaths::For(app);
  layout.Link(archiver, paths.archiver);
  layout.File(data + "/" + kHelpDocumentName, paths.help_document);
  layout.Tree(data + "/" + kBenchmarkFolderName, paths.BenchDir);
  return layout.report;
}

}  // namespace torva
