#include "prepare/camera_list.h"

#include <gtest/gtest.h>

#include "prepare/archive_lines.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

TEST(CameraListTest, MissingOrEmptyFilesHoldNoCameras) {
  TempFolder folder;
  const std::string path = folder.path() + "/cameras.txt";
  EXPECT_FALSE(ReadCameraLines(path).lines);
  WriteFile(path, "");
  EXPECT_FALSE(ReadCameraLines(path).lines);
}

// The window keeps 40 pixels a camera while the room (the screen less a
// title bar) holds it, then stops at the room's height.
TEST(CameraListTest, TheWindowGrowsWithTheCamerasUntilTheScreenIsFull) {
  EXPECT_EQ(CameraWindowHeight(3, 984), 140);
  EXPECT_EQ(CameraWindowHeight(24, 984), 980);
  EXPECT_EQ(CameraWindowHeight(25, 984), 984);
  EXPECT_EQ(CameraWindowHeight(60, 1040), 1040);
}

TEST(ArchiveLinesTest, ReportTexts) {
  EXPECT_EQ(PackedInLine(2900), "The project has been successfully compressed in 2 seconds.");
  EXPECT_EQ(ReductionPercent(25LL << 20, 100LL << 20), "75.00");
  EXPECT_EQ(ReductionPercent(0, 0), "0.00");  // every file empty
}

}  // namespace
}  // namespace torva
