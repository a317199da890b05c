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

TEST(CameraListTest, MarksAreAddedInTheOrderRead) {
  TempFolder folder;
  const std::string path = folder.path() + "/cameras.txt";
  WriteFile(path, "Overview;1920x1080, 24mm, active\nSink close-up;1920x1080, 85mm\nWindow;x\n");
  auto lines = ReadCameraLines(path);
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 3u);
  auto marked = MarkedCameraLines(*lines, {false, true, false});
  ASSERT_TRUE(WriteCameraLines(path, marked));
  EXPECT_EQ(ReadFile(path),
            "Overview;1920x1080, 24mm, active;0\nSink close-up;1920x1080, 85mm;1\nWindow;x;0\n");
  EXPECT_EQ(CameraLabel(marked[1]), "Sink close-up (1920x1080, 85mm;1)");
}

TEST(ArchiveLinesTest, ReportTexts) {
  EXPECT_EQ(PackedInLine(2900), "The project has been successfully compressed in 2 seconds.");
  EXPECT_EQ(ReductionPercent(25LL << 20, 100LL << 20), "75.00");
  EXPECT_EQ(ReductionPercent(150, 0), "0.00");  // every file empty
  EXPECT_EQ(ReductionPercent(0, 0), "0.00");
}

}  // namespace
}  // namespace torva
