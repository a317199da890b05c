// Where the application folder lies on this system, and how it is laid out
// from the data installed with the program on systems without an installer
// that does it (Linux packages and archives).
#pragma once

#include <string>
#include <vector>

#include "install/app_paths.h"

namespace torva {

// The folder's own name, wherever it lies.
inline constexpr const char* kAppFolderName = "TORVAmeter_Maxwell";
// The installed data's folder name under a "share" folder.
inline constexpr const char* kDataFolderName = "torvameter";

// The application folder for the given environment values (null or empty
// when unset): "/Applications/TORVAmeter_Maxwell" on macOS; elsewhere
// XDG_DATA_HOME + "/TORVAmeter_Maxwell", XDG_DATA_HOME taken as
// HOME + "/.local/share" when it is unset or not an absolute path. Empty when
// neither gives an absolute folder.
std::string AppFolderFor(const char* xdg_data_home, const char* home);

// This process's home folder: HOME, or the account's from the password
// database when HOME is unset or empty.
std::string HomeFolder();

// The same for this process: its environment and HomeFolder().
std::string DefaultAppFolder();

// Where the program keeps what it remembers between runs that is no setting
// (the window's place): XDG_STATE_HOME + "/torvameter", XDG_STATE_HOME taken
// as HOME + "/.local/state" when it is unset or not an absolute path. Empty
// when neither gives an absolute folder.
std::string StateFolderFor(const char* xdg_state_home, const std::string& home);

// The folder of the data installed with the program: `executable`'s folder +
// "/../share/torvameter" when that holds a "benchmark" folder, else
// `system_data_dir` when it does; empty when neither does.
std::string FindDataFolder(const std::string& executable, const std::string& system_data_dir);

// The same for this process ("/usr/share/torvameter" as the system's); always
// empty on macOS, where the installer lays out the application folder.
std::string InstalledDataFolder();

// The first executable regular file named `name` in the folders of `path`
// (colon-separated, like PATH; empty entries and relative folders are
// skipped). Empty when there is none.
std::string FindOnPath(const std::string& name, const std::string& path);

struct LayoutReport {
  std::vector<std::string> added;   // paths made, in the order made
  std::vector<std::string> failed;  // paths that could not be made
};

// Lays out `app_dir` from `data_dir` as an installer would: the folder
// itself and, where AppPaths puts them, the archiver (a link to `archiver`,
// when that is not empty), the help document, and the benchmark folder with
// every file of the data's (scenes, the farm's pictures, the camera script
// template).
// Only what is missing is made: a file, link or folder already there under
// the same name, even a broken link, is left as it is. A copy appears whole
// or not at all.
LayoutReport LayOutAppFolder(const std::string& app_dir, const std::string& data_dir,
                             const std::string& archiver);

}  // namespace torva
