#include "prepare/scene_name.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

TEST(SceneNameTest, AnyLetterCaseOfMxsCountsAsAScene) {
  EXPECT_TRUE(IsSceneFile("/a/Scene.MXS"));
  EXPECT_TRUE(IsSceneFile("/a/scene.Mxs"));
  EXPECT_FALSE(IsSceneFile("/a/scene.mxs.txt"));
  EXPECT_FALSE(IsSceneFile("xs"));
  EXPECT_EQ(SceneNameOf("/a/Scene.MXS"), "Scene");
  EXPECT_EQ(SceneNameOf("/a/x.mxs.Mxs"), "x");
}

TEST(SceneNameTest, BlanksThenLengthGiveTheTwentyFourCharacterName) {
  const std::string path = "/Users/me/my projects/my big scene with a long name.mxs";
  const std::string blank_free = BlankFreePath(path);
  EXPECT_EQ(blank_free, "/Users/me/my projects/my_big_scene_with_a_long_name.mxs");
  EXPECT_EQ(ShortenedPath(blank_free), "/Users/me/my projects/my_big_scene_with_a_.mxs");
}

TEST(SceneNameTest, OnlyBlanksGoAndOnlyInTheFileName) {
  EXPECT_EQ(BlankFreePath("/Jo's \"odd\" disk/say \"cheese\".mxs"),
            "/Jo's \"odd\" disk/say_\"cheese\".mxs");
  EXPECT_EQ(BlankFreePath("/a b/plain.mxs"), "/a b/plain.mxs");
}

TEST(SceneNameTest, TwentyFourCharactersStayAndTwentyFiveLoseTheLastBeforeTheDot) {
  EXPECT_EQ(ShortenedPath("/s/abcdefghijklmnopqrst.mxs"), "/s/abcdefghijklmnopqrst.mxs");
  EXPECT_EQ(ShortenedPath("/s/abcdefghijklmnopqrstu.MXS"), "/s/abcdefghijklmnopqrst.MXS");
  // Characters, not bytes: twenty-four accented letters are short enough.
  const std::string accented =
      "/s/\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
      "\xC3\xA9\xC3\xA9.mxs";
  EXPECT_EQ(ShortenedPath(accented), accented);
}

TEST(SceneNameTest, RenamingNeverReplacesAnotherFile) {
  TempFolder folder;
  const std::string from = folder.path() + "/a b.mxs", to = folder.path() + "/a_b.mxs";
  WriteFile(from, "scene");
  WriteFile(to, "other scene");
  EXPECT_EQ(RenameWithoutReplacing(from, to), RenameResult::kTargetExists);
  EXPECT_EQ(ReadFile(from), "scene");
  EXPECT_EQ(ReadFile(to), "other scene");

  std::filesystem::remove(to);
  EXPECT_EQ(RenameWithoutReplacing(from, to), RenameResult::kDone);
  EXPECT_EQ(ReadFile(to), "scene");
  EXPECT_EQ(RenameWithoutReplacing(from, to), RenameResult::kTargetExists);
  EXPECT_EQ(RenameWithoutReplacing(folder.path() + "/gone.mxs", folder.path() + "/new.mxs"),
            RenameResult::kFailed);
}

}  // namespace
}  // namespace torva
