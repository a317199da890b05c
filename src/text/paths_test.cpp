#include "text/paths.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(Paths, FolderAndFileNameSplitAtTheLastSlash) {
  EXPECT_EQ(FolderOf("/Scenes/Kitchen/Kitchen.mxs"), "/Scenes/Kitchen/");
  EXPECT_EQ(FileNameOf("/Scenes/Kitchen/Kitchen.mxs"), "Kitchen.mxs");
  EXPECT_EQ(FolderOf("Kitchen.mxs"), "");
  EXPECT_EQ(FileNameOf("Kitchen.mxs"), "Kitchen.mxs");
  EXPECT_EQ(FolderOf("/Scenes/"), "/Scenes/");
  EXPECT_EQ(FileNameOf("/Scenes/"), "");
  // Bytes that are not UTF-8 pass through untouched.
  EXPECT_EQ(FileNameOf("/caf\xE9/caf\xE9.jpg"), "caf\xE9.jpg");
}

TEST(Paths, OnlyAsciiLettersAreLowered) {
  EXPECT_EQ(Lowered("Upper.MXS"), "upper.mxs");
  EXPECT_EQ(Lowered("\xC3\x89T\xC3\x89.MXS"), "\xC3\x89t\xC3\x89.mxs");
}

}  // namespace
}  // namespace torva
