#include "install/app_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "testing/environment.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

TEST(AppFolder, StateFolderFollowsXdgStateHomeElseHome) {
  EXPECT_EQ(StateFolderFor("/s/", "/home/ann"), "/s/torvameter");
  EXPECT_EQ(StateFolderFor("relative", "/home/ann"), "/home/ann/.local/state/torvameter");
  EXPECT_EQ(StateFolderFor(nullptr, ""), "");
}

#ifdef __APPLE__
TEST(AppFolder, FixedUnderApplicationsOnMacOs) {
  EXPECT_EQ(AppFolderFor("/x", "/Users/ann"), "/Applications/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor(nullptr, nullptr), "/Applications/TORVAmeter_Maxwell");
}
#else
TEST(AppFolder, UnderTheUsersDataFolder) {
  // XDG_DATA_HOME when it is an absolute folder.
  EXPECT_EQ(AppFolderFor("/data/ann", "/home/ann"), "/data/ann/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor("/data/ann//", "/home/ann"), "/data/ann/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor("/", "/home/ann"), "/TORVAmeter_Maxwell");
  // Otherwise the default under HOME: unset, empty and relative values are
  // not folders of the user's.
  EXPECT_EQ(AppFolderFor(nullptr, "/home/ann"), "/home/ann/.local/share/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor("", "/home/ann/"), "/home/ann/.local/share/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor("data", "/home/ann"), "/home/ann/.local/share/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor("~/data", "/home/ann"), "/home/ann/.local/share/TORVAmeter_Maxwell");
  EXPECT_EQ(AppFolderFor(nullptr, "/"), "/.local/share/TORVAmeter_Maxwell");
  // Nowhere absolute to go.
  EXPECT_EQ(AppFolderFor(nullptr, nullptr), "");
  EXPECT_EQ(AppFolderFor("", ""), "");
  EXPECT_EQ(AppFolderFor("data", "home/ann"), "");
}

TEST(AppFolder, DefaultReadsThisProcesssEnvironment) {
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/srv/ann-data");
    EXPECT_EQ(DefaultAppFolder(), "/srv/ann-data/TORVAmeter_Maxwell");
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(DefaultAppFolder(), "/home/someone/.local/share/TORVAmeter_Maxwell");
  }
  {
    // Without HOME the account's home folder stands in.
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    const std::string folder = DefaultAppFolder();
    if (!folder.empty()) {
      EXPECT_EQ(folder.front(), '/');
      EXPECT_TRUE(folder.ends_with("/.local/share/TORVAmeter_Maxwell")) << folder;
    }
  }
}
#endif

TEST(DataFolder, BesideTheExecutableFirstThenTheSystemOne) {
  TempFolder dir;
  const std::string prefix = dir.path() + "/opt/tm";
  const std::string system = dir.path() + "/usr/share/torvameter";
  WriteFile(system + "/benchmark/Absolute.mxs", "scene");
  const std::string executable = prefix + "/bin/torvameter";

  // Nothing beside the executable: the system's folder.
  EXPECT_EQ(FindDataFolder(executable, system), system);
  EXPECT_EQ(FindDataFolder(executable, system + "/"), system);
  // A share folder without a benchmark folder does not count.
  WriteFile(prefix + "/share/torvameter/TORVAmeter_Maxwell_Mac.pdf", "pdf");
  EXPECT_EQ(FindDataFolder(executable, system), system);
  // A complete one beside the executable wins, written without "..".
  fs::create_directories(prefix + "/share/torvameter/benchmark");
  EXPECT_EQ(FindDataFolder(executable, system), prefix + "/share/torvameter");
  // Neither: none.
  EXPECT_EQ(FindDataFolder(dir.path() + "/elsewhere/bin/torvameter", dir.path() + "/none"), "");
  EXPECT_EQ(FindDataFolder("", ""), "");
  EXPECT_EQ(FindDataFolder("", system), system);
}

TEST(FindOnPath, FirstExecutableFileInPathOrder) {
  TempFolder dir;
  const std::string a = dir.path() + "/a", b = dir.path() + "/b", c = dir.path() + "/c";
  WriteFile(a + "/7za", "not executable");
  fs::create_directories(b + "/7za");  // a folder of that name
  WriteExecutable(c + "/7za", "#!/bin/sh\n");
  WriteExecutable(dir.path() + "/d/7za", "#!/bin/sh\n");

  EXPECT_EQ(FindOnPath("7za", a + ":" + b + ":" + c + ":" + dir.path() + "/d"), c + "/7za");
  EXPECT_EQ(FindOnPath("7za", dir.path() + "/d/:" + c), dir.path() + "/d/7za");
  // Empty and relative entries (the working folder) are never searched.
  EXPECT_EQ(FindOnPath("7za", "::relative:" + c + ":"), c + "/7za");
  EXPECT_EQ(FindOnPath("7za", a + ":" + b), "");
  EXPECT_EQ(FindOnPath("7za", ""), "");
  EXPECT_EQ(FindOnPath("", c), "");
  EXPECT_EQ(FindOnPath("c/7za", dir.path()), "");
}

// An installed data folder as the packages lay it out.
struct DataFixture {
  TempFolder dir;
  std::string data = dir.path() + "/share/torvameter";
  std::string app = dir.path() + "/home/.local/share/TORVAmeter_Maxwell";
  std::string archiver = dir.path() + "/bin/7za";
  DataFixture() {
    WriteFile(data + "/TORVAmeter_Maxwell_Mac.pdf", "%PDF guide");
    WriteFile(data + "/logo.png", "png");
    WriteFile(data + "/benchmark/Absolute.mxs", "absolute scene");
    WriteFile(data + "/benchmark/GetCameras.py", "template");
    WriteFile(data + "/benchmark/Bottles_Torva_1mn.jpg", "jpeg");
    WriteFile(data + "/benchmark/extra/notes.txt", "nested");
    WriteExecutable(archiver, "#!/bin/sh\n");
  }
};

TEST(LayOutAppFolder, FreshFolderGetsTheWholeLayout) {
  DataFixture f;
  const LayoutReport report = LayOutAppFolder(f.app, f.data, f.archiver);
  EXPECT_TRUE(report.failed.empty());

  EXPECT_TRUE(fs::is_symlink(f.app + "/7za"));
  EXPECT_EQ(fs::read_symlink(f.app + "/7za"), f.archiver);
  EXPECT_EQ(ReadFile(f.app + "/TORVAmeter_Maxwell_Mac.pdf"), "%PDF guide");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/Absolute.mxs"), "absolute scene");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/GetCameras.py"), "template");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/Bottles_Torva_1mn.jpg"), "jpeg");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/extra/notes.txt"), "nested");
  // Only what the application folder holds: not the logo.
  EXPECT_FALSE(fs::exists(f.app + "/logo.png"));

  const std::vector<std::string> expected = {
      f.app,
      f.app + "/7za",
      f.app + "/TORVAmeter_Maxwell_Mac.pdf",
      f.app + "/benchmark",
      f.app + "/benchmark/Absolute.mxs",
      f.app + "/benchmark/Bottles_Torva_1mn.jpg",
      f.app + "/benchmark/GetCameras.py",
      f.app + "/benchmark/extra",
      f.app + "/benchmark/extra/notes.txt",
  };
  EXPECT_EQ(report.added, expected);

  // No copy's temporary name is left behind.
  for (const auto& entry : fs::recursive_directory_iterator(f.app))
    EXPECT_EQ(entry.path().string().find(".part-"), std::string::npos) << entry.path();

  // A second start finds nothing missing.
  const LayoutReport again = LayOutAppFolder(f.app, f.data, f.archiver);
  EXPECT_TRUE(again.added.empty());
  EXPECT_TRUE(again.failed.empty());
}

TEST(LayOutAppFolder, NeverReplacesWhatTheUserHas) {
  DataFixture f;
  WriteFile(f.app + "/TORVAmeter_Maxwell_Mac.pdf", "my annotated guide");
  WriteFile(f.app + "/benchmark/GetCameras.py", "my template");
  WriteFile(f.app + "/benchmark/TORVAmeter_Benchmark.log", "log");
  // A broken link is the user's too.
  ASSERT_EQ(symlink("/nowhere/7za", (f.app + "/7za").c_str()), 0);
  // A file where the data has a folder: its files cannot go in.
  WriteFile(f.app + "/benchmark/extra", "a file");

  const LayoutReport report = LayOutAppFolder(f.app, f.data, f.archiver);

  EXPECT_EQ(fs::read_symlink(f.app + "/7za"), "/nowhere/7za");
  EXPECT_EQ(ReadFile(f.app + "/TORVAmeter_Maxwell_Mac.pdf"), "my annotated guide");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/GetCameras.py"), "my template");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/TORVAmeter_Benchmark.log"), "log");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/extra"), "a file");
  EXPECT_EQ(ReadFile(f.app + "/benchmark/Absolute.mxs"), "absolute scene");

  const std::vector<std::string> added = {f.app + "/benchmark/Absolute.mxs",
                                          f.app + "/benchmark/Bottles_Torva_1mn.jpg"};
  EXPECT_EQ(report.added, added);
  const std::vector<std::string> failed = {f.app + "/benchmark/extra"};
  EXPECT_EQ(report.failed, failed);
}

TEST(LayOutAppFolder, WhatCannotBeMadeIsReported) {
  DataFixture f;
  // No archiver found: everything else is laid out, the link is missing.
  const LayoutReport without_archiver = LayOutAppFolder(f.app, f.data, "");
  EXPECT_EQ(without_archiver.failed, std::vector<std::string>{f.app + "/7za"});
  EXPECT_FALSE(fs::exists(fs::symlink_status(f.app + "/7za")));
  EXPECT_EQ(ReadFile(f.app + "/benchmark/Absolute.mxs"), "absolute scene");
  // Found at a later start.
  const LayoutReport later = LayOutAppFolder(f.app, f.data, f.archiver);
  EXPECT_EQ(later.added, std::vector<std::string>{f.app + "/7za"});
  EXPECT_TRUE(later.failed.empty());

  // A data folder without the help document.
  fs::remove(f.data + "/TORVAmeter_Maxwell_Mac.pdf");
  const std::string other = f.dir.path() + "/other";
  const LayoutReport no_help = LayOutAppFolder(other, f.data, f.archiver);
  EXPECT_EQ(no_help.failed, std::vector<std::string>{other + "/TORVAmeter_Maxwell_Mac.pdf"});
  EXPECT_TRUE(fs::exists(other + "/benchmark/GetCameras.py"));

  // An application folder that cannot be made: nothing else is tried.
  WriteFile(f.dir.path() + "/blocked", "a file");
  const std::string blocked = f.dir.path() + "/blocked/TORVAmeter_Maxwell";
  const LayoutReport report = LayOutAppFolder(blocked, f.data, f.archiver);
  EXPECT_TRUE(report.added.empty());
  EXPECT_EQ(report.failed, std::vector<std::string>{blocked});
}

}  // namespace
}  // namespace torva
