#include "estimate/work_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "testing/scripted_session.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

class WorkFolderTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  std::string work_ = temp_.path() + "/workdir";
  std::string outside_ = temp_.path() + "/outside";
  void SetUp() override {
    fs::create_directories(work_);
    fs::create_directories(outside_);
    WriteFile(outside_ + "/victim", "keep me");
  }
};

TEST_F(WorkFolderTest, OnlyPlainFilesOfTheirOwnStay) {
  WriteFile(work_ + "/Scene.mxs", "SIM-MXS 1\n");
  fs::create_symlink(outside_ + "/victim", work_ + "/Scene.mxi");
  fs::create_symlink(outside_, work_ + "/folder link");
  fs::create_directories(work_ + "/Scene.jpg/inner");
  fs::create_symlink(outside_ + "/victim", work_ + "/Scene.jpg/inner/link");
  ASSERT_EQ(mkfifo((work_ + "/pipe").c_str(), 0600), 0);
  fs::create_hard_link(outside_ + "/victim", work_ + "/cameras.txt");

  EXPECT_EQ(
      RemoveUnsafeEntries(work_),
      (std::vector<std::string>{"Scene.jpg", "Scene.mxi", "cameras.txt", "folder link", "pipe"}));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(work_)) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"Scene.mxs"});
  EXPECT_EQ(ReadFile(outside_ + "/victim"), "keep me");
}

TEST_F(WorkFolderTest, TheSceneIsTheOneNamedAfterTheArchiveElseTheFirstByName) {
  EXPECT_EQ(FindScene(work_, "Kitchen"), std::nullopt);
  WriteFile(work_ + "/notes.mxs.txt", "");
  EXPECT_EQ(FindScene(work_, "notes"), std::nullopt);
  // Any case of ".mxs", as the preparation accepts.
  WriteFile(work_ + "/Upper.MXS", "");
  EXPECT_EQ(FindScene(work_, "Upper"), "Upper.MXS");
  WriteFile(work_ + "/b.mxs", "");
  WriteFile(work_ + "/a.mxs", "");
  EXPECT_EQ(FindScene(work_, "Kitchen"), "Upper.MXS");  // first in name order
  EXPECT_EQ(FindScene(work_, "a"), "a.mxs");
  WriteFile(work_ + "/Kitchen.mxs", "");
  EXPECT_EQ(FindScene(work_, "Kitchen"), "Kitchen.mxs");
  EXPECT_EQ(FindScene(temp_.path() + "/missing", "Kitchen"), std::nullopt);
}

std::optional<std::uintmax_t> ListedBytes(const std::vector<std::string>& listing) {
  ListedSize listed;
  for (const std::string& line : listing) listed.Add(line);
  return listed.Bytes();
}

TEST(ListedBytes, SumsTheSizesOfTheTechnicalListing) {
  EXPECT_EQ(ListedBytes({"Path = t.vum", "Type = 7z", "Physical Size = 207", "Path = a.txt",
                         "Size = 6", "Packed Size = 18", "Path = b.bin", "Size = 5000"}),
            5006u);
  EXPECT_EQ(ListedBytes({}), 0u);
  EXPECT_EQ(ListedBytes({"Size = 12x"}), std::nullopt);
  EXPECT_EQ(ListedBytes({"Size = 18446744073709551615", "Size = 1"}), std::nullopt);
}

TEST_F(WorkFolderTest, ActiveCamerasEndInOne) {
  EXPECT_EQ(CountActiveCameras(work_ + "/cameras.txt"), 0);
  WriteFile(work_ + "/cameras.txt", "A;1920x1080, 24mm;1\nB;0\nC;1\nD;0\nE;1");
  EXPECT_EQ(CountActiveCameras(work_ + "/cameras.txt"), 3);
  WriteFile(work_ + "/cameras.txt", "A;1\nB;0\n\n1x\n");
  EXPECT_EQ(CountActiveCameras(work_ + "/cameras.txt"), 1);
}

TEST_F(WorkFolderTest, OnlyPlainFilesHaveASize) {
  WriteFile(work_ + "/a.mxi", "12345");
  EXPECT_EQ(PlainFileBytes(work_ + "/a.mxi"), 5u);
  fs::create_symlink(work_ + "/a.mxi", work_ + "/b.mxi");
  EXPECT_EQ(PlainFileBytes(work_ + "/b.mxi"), 0u);
  EXPECT_EQ(PlainFileBytes(work_ + "/none.mxi"), 0u);
  EXPECT_EQ(PlainFileBytes(work_), 0u);
}

}  // namespace
}  // namespace torva
