#include "prepare/dependency_sources.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

TEST(DependencySourcesTest, TheListingLinesGiveEachDependencyAndItsNamesake) {
  SourcesReader reader;
  for (const char* line :
       {"TORVAmeter same name below the scene: /s/stray.png",  // before any dependency
        "Engine version 5.2.1.49", "TORVAmeter dependency: textures/wood/diffuse.jpg",
        "TORVAmeter same name below the scene: /s/textures/tiles/diffuse.jpg",
        "TORVAmeter dependency: C:\\maps\\chrome.png", "Script finished."})
    reader.Read(line);
  ASSERT_EQ(reader.dependencies().size(), 2u);
  EXPECT_EQ(reader.dependencies()[0].recorded, "textures/wood/diffuse.jpg");
  EXPECT_EQ(reader.dependencies()[0].below_scene, "/s/textures/tiles/diffuse.jpg");
  EXPECT_EQ(reader.dependencies()[1].recorded, "C:\\maps\\chrome.png");
  EXPECT_EQ(reader.dependencies()[1].below_scene, "");
  EXPECT_EQ(ProjectName("C:\\maps\\chrome.png"), "chrome.png");
}

// The recorded place first, as the gather script copies, then the search
// below the scene, then the user's pick.
TEST(DependencySourcesTest, ACopyCameFromTheFirstPlaceThatHoldsAFile) {
  TempFolder folder;
  const std::string scene = folder.path() + "/scene/";
  WriteFile(scene + "maps/wood.jpg", "wood");
  WriteFile(scene + "deep/maps/wood.jpg", "other wood");
  WriteFile(folder.path() + "/elsewhere/sky.hdr", "sky");
  const std::map<std::string, std::string> by_hand = {{"lost.png", "/picked/lost.png"}};
  EXPECT_EQ(CopiedFrom({"maps\\wood.jpg", ""}, scene, by_hand), scene + "maps/wood.jpg");
  EXPECT_EQ(CopiedFrom({folder.path() + "/elsewhere/sky.hdr", ""}, scene, by_hand),
            folder.path() + "/elsewhere/sky.hdr");
  // A Windows drive is never read as a folder of the scene.
  WriteFile(scene + "D:/maps/wood.jpg", "not this one");
  EXPECT_EQ(CopiedFrom({"D:\\maps\\wood.jpg", scene + "deep/maps/wood.jpg"}, scene, by_hand),
            scene + "deep/maps/wood.jpg");
  EXPECT_EQ(CopiedFrom({"/gone/lost.png", ""}, scene, by_hand), "/picked/lost.png");
  EXPECT_EQ(CopiedFrom({"/gone/never.png", ""}, scene, by_hand), "");
  // A folder is not a file to copy from.
  EXPECT_EQ(CopiedFrom({"maps", ""}, scene, by_hand), "");
}

TEST(DependencySourcesTest, OnlyNamesGivenByFilesThatDifferAreReported) {
  TempFolder folder;
  const std::string& f = folder.path();
  WriteFile(f + "/a/x.jpg", "same");
  WriteFile(f + "/b/x.jpg", "same");
  fs::create_symlink(f + "/a/x.jpg", f + "/link.jpg");
  WriteFile(f + "/a/y.png", "first y");
  WriteFile(f + "/b/y.png", "first y and more");
  WriteFile(f + "/c/y.png", "first y");
  WriteFile(f + "/project/y.png", "first y and more");
  const auto clashes = DifferingSameNameFiles({{"x.jpg", f + "/a/x.jpg"},
                                               {"x.jpg", f + "/b/x.jpg"},
                                               {"x.jpg", f + "/link.jpg"},
                                               {"y.png", f + "/a/y.png"},
                                               {"y.png", f + "/a/../a/y.png"},
                                               {"y.png", ""},
                                               {"y.png", f + "/b/y.png"},
                                               {"y.png", f + "/c/y.png"}},
                                              f + "/project/");
  ASSERT_EQ(clashes.size(), 1u);
  EXPECT_EQ(clashes[0].name, "y.png");
  EXPECT_EQ(clashes[0].sources,
            (std::vector<std::string>{f + "/a/y.png", f + "/b/y.png", f + "/c/y.png"}));
  EXPECT_EQ(clashes[0].sent, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(SameNameQuestion(clashes),
            "Files of the same name come from different folders and differ:\n\ny.png\n   " + f +
                "/a/y.png\n   " + f + "/b/y.png (sent)\n   " + f +
                "/c/y.png\n\nThe project "
                "folder holds one file of each name, so only one of them will be sent to the "
                "farm and the scene may be rendered with the wrong file.\nDo you want to "
                "prepare the project anyway?");
}

TEST(DependencySourcesTest, BytesAreComparedToTheEnd) {
  TempFolder folder;
  const std::string big(200000, 'x');
  WriteFile(folder.path() + "/a", big);
  WriteFile(folder.path() + "/b", big);
  WriteFile(folder.path() + "/c", big + "y");
  WriteFile(folder.path() + "/d", big.substr(1) + "y");
  EXPECT_TRUE(SameBytes(folder.path() + "/a", folder.path() + "/b"));
  EXPECT_FALSE(SameBytes(folder.path() + "/a", folder.path() + "/c"));
  EXPECT_FALSE(SameBytes(folder.path() + "/a", folder.path() + "/d"));
  EXPECT_FALSE(SameBytes(folder.path() + "/a", folder.path() + "/missing"));
}

}  // namespace
}  // namespace torva
