#include "prepare/camera_list.h"

#include <gtest/gtest.h>

#include "testing/files.h"
#include "testing/temp_folder.h"
#include "prepare/archive_lines.h"

namespace torva {
namespace {

TEST(CameraListTest, MissingOrEmptyFilesHoldNoCameras) {
  TempFolder folder;
  const std::string path = folder.path() + "/cameras.txt";
  EXPECT_FALSE(ReadCameraLines(path));
  WriteFile(path, "");
  EXPECT_FALSE(ReadCameraLines(path));
}

TEST(ArchiveLinesTest, ReportTexts) {
  EXPECT_EQ(PackedInLine(2900), "The project has been successfully compressed in 2 seconds.");
  EXPECT_EQ(ReductionPercent(25LL << 20, 100LL << 20), "75.00");
  EXPECT_EQ(ReductionPercent(0, 0), "0.00");  // every file empty
}

}  // namespace
}  // namespace torva
