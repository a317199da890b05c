#include "platform/own_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

TEST(OwnFolder, EmptiesOnlyWhatItMadeAndNeverFollowsALink) {
  TempFolder temp;
  const std::string work = temp.path() + "/workdir", outside = temp.path() + "/outside";
  WriteFile(outside + "/victim", "keep me");

  // The user's own folder of that name is left as it is.
  WriteFile(work + "/render.exr", "the user's");
  EXPECT_EQ(MakeOwnFolder(work), OwnFolder::kForeign);
  EXPECT_TRUE(RemoveOwnFolder(work));
  EXPECT_EQ(ReadFile(work + "/render.exr"), "the user's");
  fs::remove(work + "/render.exr");

  // An empty one is taken over; what a run leaves in it is the program's.
  ASSERT_EQ(MakeOwnFolder(work), OwnFolder::kReady);
  WriteFile(work + "/old.mxs", "leftover");
  fs::create_symlink(outside, work + "/link");
  fs::create_symlink(outside + "/victim", work + "/file link");
  ASSERT_EQ(MakeOwnFolder(work), OwnFolder::kReady);
  EXPECT_TRUE(fs::is_empty(work));
  EXPECT_EQ(ReadFile(outside + "/victim"), "keep me");
  EXPECT_TRUE(RemoveOwnFolder(work));
  EXPECT_FALSE(fs::exists(work));

  // A folder made later under the same name does not match an old mark, and
  // a link at the name is not followed.
  ASSERT_EQ(MakeOwnFolder(work), OwnFolder::kReady);
  fs::rename(work, temp.path() + "/moved");
  WriteFile(work + "/notes.txt", "mine");
  EXPECT_EQ(MakeOwnFolder(work), OwnFolder::kForeign);
  EXPECT_EQ(ReadFile(work + "/notes.txt"), "mine");
  fs::remove_all(work);
  fs::create_directory_symlink(outside, work);
  EXPECT_EQ(MakeOwnFolder(work), OwnFolder::kForeign);
  EXPECT_TRUE(RemoveOwnFolder(work));
  EXPECT_EQ(ReadFile(outside + "/victim"), "keep me");
}

}  // namespace
}  // namespace torva
