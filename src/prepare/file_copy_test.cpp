#include "prepare/file_copy.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

TEST(FileCopyTest, APlainFileArrivesWholeAlsoThroughALink) {
  TempFolder folder;
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7 % 256);
  WriteFile(folder.path() + "/in/big.raw", bytes);
  fs::create_symlink(folder.path() + "/in/big.raw", folder.path() + "/in/link.raw");
  ASSERT_TRUE(CopyPlainFile(folder.path() + "/in/big.raw", folder.path() + "/big.raw"));
  EXPECT_EQ(ReadFile(folder.path() + "/big.raw"), bytes);
  ASSERT_TRUE(CopyPlainFile(folder.path() + "/in/link.raw", folder.path() + "/big.raw"));
  EXPECT_EQ(ReadFile(folder.path() + "/big.raw"), bytes);
  EXPECT_FALSE(fs::is_symlink(folder.path() + "/big.raw"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);  // in/ and big.raw
}

// Nothing that is not a plain file is copied, none of them keeps the copy
// waiting, and the file already in the project stays as it was.
TEST(FileCopyTest, PipesDevicesFoldersAndMissingFilesAreRefused) {
  TempFolder folder;
  const std::string target = folder.path() + "/project/x.ies";
  WriteFile(target, "earlier");
  const std::string pipe = folder.path() + "/pipe.ies";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", folder.path() + "/zero.ies");
  fs::create_directories(folder.path() + "/folder.ies");
  for (const std::string name : {"/pipe.ies", "/zero.ies", "/folder.ies", "/missing.ies"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(CopyPlainFile(folder.path() + name, target));
    EXPECT_EQ(ReadFile(target), "earlier");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path() + "/project"), {}), 1);
}

}  // namespace
}  // namespace torva
