#include "text/file_size.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace torva {
namespace {

namespace fs = std::filesystem;

class FileSizeMBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tm_file_size_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string MakeFile(const std::string& name, std::size_t bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    return path.string();
  }

  fs::path dir_;
};

TEST_F(FileSizeMBTest, SizesInMegabytes) {
  EXPECT_EQ(FileSizeMB(MakeFile("a", 1572864)), "1.50 MB");
  EXPECT_EQ(FileSizeMB(MakeFile("empty", 0)), "0.00 MB");
  EXPECT_EQ(FileSizeMB(MakeFile("b", 5243)), "0.01 MB");
  EXPECT_EQ(FileSizeMB(MakeFile("c", 1048576 - 5000)), "1.00 MB");
}

TEST_F(FileSizeMBTest, MissingFileOrFolderCountsAsMinusOneByte) {
  EXPECT_EQ(FileSizeMB((dir_ / "missing").string()), "-0.00 MB");
  EXPECT_EQ(FileSizeMB(dir_.string()), "-0.00 MB");
  EXPECT_EQ(FileSizeMB(""), "-0.00 MB");
}

}  // namespace
}  // namespace torva
