#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <grp.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "state/config/config_file.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

// The user an unprivileged run switches to when the tests run as root.
std::optional<std::pair<uid_t, gid_t>> UnprivilegedUser() {
  if (geteuid() != 0) return std::pair{geteuid(), getegid()};
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return std::nullopt;
  return std::pair{nobody->pw_uid, nobody->pw_gid};
}

// Runs `job` where file permissions are enforced: as root, in a child that
// has given up root for `user`; otherwise here. Returns what `job` returned,
// or -1 when the child could not drop its privileges.
int RunUnprivileged(std::pair<uid_t, gid_t> user, const std::function<int()>& job) {
  if (geteuid() != 0) return job();
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(user.second) != 0 || setuid(user.first) != 0 ||
        setuid(0) == 0)
      _exit(255);
    _exit(job());
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

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

TEST_F(ConfigWriteTest, ARefusingFolderFallsBackToRewritingTheFile) {
  const auto user = UnprivilegedUser();
  if (!user) GTEST_SKIP() << "running as root and there is no user \"nobody\" to run as";
  fs::permissions(dir_, fs::perms(0755));           // a temporary folder starts owner-only
  WriteFile(path_, std::string(4000, 'o') + "\n");  // longer than the new text
  ASSERT_EQ(chown(path_.c_str(), user->first, user->second), 0);
  fs::permissions(path_, fs::perms(0644));
  fs::permissions(dir_, fs::perms(0555));
  const int written = RunUnprivileged(*user, [&] {
    // The folder must really refuse, or this proves nothing.
    if (access(dir_.c_str(), W_OK) == 0) return 2;
    return WriteConfigFile(path_, Values()) ? 0 : 1;
  });
  const std::string missing = (dir_ / "new.ini").string();
  const int created =
      RunUnprivileged(*user, [&] { return WriteConfigFile(missing, Values()) ? 0 : 1; });
  fs::permissions(dir_, fs::perms(0755));
  if (written == -1) GTEST_SKIP() << "cannot give up root here (no CAP_SETUID?)";

  EXPECT_EQ(written, 0);
  EXPECT_EQ(ReadFile(path_), FormatConfig(Values()));
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms(0600));
  EXPECT_EQ(created, 1);  // neither way can make a new file there
  EXPECT_EQ(Entries(), std::vector<std::string>{"TORVAmeter_Maxwell.ini"});
}

TEST_F(ConfigWriteTest, ALinkIsReplacedAndNothingOutsideIsWritten) {
  fs::create_directory(dir_ / "outside");
  const fs::path important = dir_ / "outside" / "important.conf";
  WriteFile(important.string(), "keep me\n");
  fs::permissions(important, fs::perms(0644));
  fs::create_symlink(important, path_);
  ASSERT_TRUE(WriteConfigFile(path_, Values()));
  EXPECT_FALSE(fs::is_symlink(path_));
  EXPECT_EQ(ReadFile(path_), FormatConfig(Values()));
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms(0600));
  EXPECT_EQ(ReadFile(important.string()), "keep me\n");
  EXPECT_EQ(fs::status(important).permissions() & fs::perms::all, fs::perms(0644));

  // A dangling link makes no file where it points.
  fs::remove(path_);
  fs::create_symlink(dir_ / "outside" / "new.conf", path_);
  ASSERT_TRUE(WriteConfigFile(path_, Values()));
  EXPECT_FALSE(fs::exists(dir_ / "outside" / "new.conf"));
  EXPECT_EQ(ReadFile(path_), FormatConfig(Values()));
}

TEST_F(ConfigWriteTest, APrivateFileKeepsItsMode) {
  for (const auto mode : {fs::perms(0400), fs::perms(0700), fs::perms(0640)}) {
    WriteFile(path_, "old\n");
    fs::permissions(path_, mode);
    ASSERT_TRUE(WriteConfigFile(path_, Values()));
    const auto expected = mode == fs::perms(0640) ? fs::perms(0600) : mode;
    EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, expected);
    EXPECT_EQ(ReadFile(path_), FormatConfig(Values()));
    fs::remove(path_);
  }
}

// Peak memory and bytes read while reading `path`, measured in a child.
TEST_F(ConfigWriteTest, AHugeFileWithoutLineFeedsIsNotReadWhole) {
  const std::string start = FormatConfig(Values()) + "eleventh line ";
  {
    const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, start.data(), start.size()), static_cast<ssize_t>(start.size()));
    // Two gigabytes of holes, then what would be line 12.
    ASSERT_EQ(pwrite(fd, "\n750\n", 5, off_t{2} << 30), 5);
    close(fd);
  }
  EXPECT_EXIT(
      {
        const auto Read = [] {
          std::ifstream io("/proc/self/io");
          std::string key;
          long long value = -1;
          while (io >> key >> value)
            if (key == "rchar:") return value;
          return -1LL;
        };
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const long long read_before = Read();
        const auto values = ReadConfigFile(path_);
        const long long bytes_read = Read() - read_before;
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const bool right = values && values->LastDir == "/last/" && values->CheckUpdates == "No" &&
                           values->MxiSizeLimitMB == 0;
        const bool small = after.ru_maxrss - before.ru_maxrss < 100 * 1024 &&  // KiB
                           bytes_read < 100 << 20;
        std::_Exit(right && small ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace torva
