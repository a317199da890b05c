#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/config/config_file.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

class ConfigWriteTest : public ::testing::Test {
 protected:
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    return names;
  }

  // True when the write fails and leaves the old file alone.
  bool WriteUnderSizeLimit() const {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = WriteConfigFile(path_, Values());
    return !written && ReadFile(path_) == "old" && Entries().size() == 1;
  }

  static ConfigValues Values() { return {"/m/", "login", "pw", "/last/", "No", std::nullopt}; }

  TempFolder folder_;
  fs::path dir_ = folder_.path();
  std::string path_ = (dir_ / "TORVAmeter_Maxwell.ini").string();
};

TEST_F(ConfigWriteTest, WritesTheFileWithOwnerOnlyAccess) {
  WriteFile(path_, "old content\n");
  fs::permissions(path_, fs::perms(0644));

  ASSERT_TRUE(WriteConfigFile(path_, Values()));
  EXPECT_EQ(ReadFile(path_), FormatConfig(Values()));
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms(0600));
  EXPECT_EQ(Entries(), std::vector<std::string>{"TORVAmeter_Maxwell.ini"});

  const auto read = ReadConfigFile(path_);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->FarmLogin, "login");
  EXPECT_EQ(read->LastDir, "/last/");
}

TEST_F(ConfigWriteTest, FailsWhenTheFolderIsMissingOrAFile) {
  EXPECT_FALSE(WriteConfigFile((dir_ / "missing" / "x.ini").string(), Values()));
  WriteFile((dir_ / "plain").string(), "keep");
  EXPECT_FALSE(WriteConfigFile((dir_ / "plain" / "x.ini").string(), Values()));
  EXPECT_EQ(ReadFile((dir_ / "plain").string()), "keep");
  EXPECT_EQ(Entries(), std::vector<std::string>{"plain"});
}

TEST_F(ConfigWriteTest, FailedRenameLeavesNoTemporaryFile) {
  // The target is a folder: the temporary file is written, the rename fails.
  fs::create_directory(path_);
  WriteFile(path_ + "/inside", "keep");
  EXPECT_FALSE(WriteConfigFile(path_, Values()));
  EXPECT_EQ(Entries(), std::vector<std::string>{"TORVAmeter_Maxwell.ini"});
  EXPECT_EQ(ReadFile(path_ + "/inside"), "keep");
}

TEST_F(ConfigWriteTest, FailedWriteKeepsTheOldFile) {
  WriteFile(path_, "old");
  // In a child process, a file size limit makes the write itself fail.
  EXPECT_EXIT(std::_Exit(WriteUnderSizeLimit() ? 0 : 1), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(path_), "old");
}

TEST_F(ConfigWriteTest, ReadingNeedsARegularFile) {
  EXPECT_FALSE(ReadConfigFile(path_).has_value());
  EXPECT_FALSE(ReadConfigFile(dir_.string()).has_value());
  const std::string fifo = (dir_ / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadConfigFile(fifo).has_value());
}

TEST_F(ConfigWriteTest, ReadsLongFilesUpToTheLimitLine) {
  std::string text = FormatConfig(Values()) + std::string(2 << 20, 'x') + "\n 750\n";
  for (int i = 0; i < 1000; ++i) text += "more lines that do not matter\n";
  WriteFile(path_, text);
  const auto read = ReadConfigFile(path_);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->MxiSizeLimitMB, 750);
  EXPECT_EQ(read->CheckUpdates, "No");
}

}  // namespace
}  // namespace torva
