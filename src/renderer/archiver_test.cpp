#include "renderer/archiver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "install/app_folder.h"
#include "testing/files.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

TEST(ArchiverSucceeded, OnlyRefusedLinksExcuseAnError) {
  EXPECT_TRUE(ArchiverSucceeded(0, {}));
  EXPECT_TRUE(ArchiverSucceeded(1, {"WARNING: something"}));
  EXPECT_TRUE(ArchiverSucceeded(2, {"ERROR: Dangerous link path was ignored : a/b",
                                    "ERROR: Dangerous link path was ignored : c"}));
  // An error of another kind among them, or none named at all, is a failure.
  EXPECT_FALSE(ArchiverSucceeded(2, {"ERROR: Dangerous link path was ignored : a",
                                     "ERROR: There is not enough space on the disk"}));
  EXPECT_FALSE(ArchiverSucceeded(2, {"Everything is Ok"}));
  // Fatal errors, bad command lines, a wrong password (255), no exit status.
  for (int status : {7, 8, 255, -1}) EXPECT_FALSE(ArchiverSucceeded(status, {})) << status;
}

TEST(RunArchiver, WorksInItsFolderAndKeepsItsErrorsToJudgeTheRun) {
  const char* path = std::getenv("PATH");
  const std::string archiver = FindOnPath("7za", path ? path : "");
  ASSERT_FALSE(archiver.empty()) << "7za is needed";
  TempFolder folder;
  WriteFile(folder.path() + "/scene.mxs", "SIM-MXS 1\n");
  ::testing::NiceMock<MockDesktop> desktop;
  std::vector<std::string> seen;
  ArchiverWatch watch;
  watch.on_line = [&](const std::string& line) { seen.push_back(line); };

  const ArchiverRun packed =
      RunArchiver(desktop, archiver, {"a", "project.vum", "scene.mxs"}, folder.path(), watch);
  EXPECT_EQ(packed.end, RunEnd::kFinished);
  EXPECT_EQ(packed.exit_code, 0);
  EXPECT_TRUE(ArchiverSucceeded(packed.exit_code, packed.lines));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() + "/project.vum"));
  EXPECT_EQ(seen, packed.lines);

  const ArchiverRun missing =
      RunArchiver(desktop, archiver, {"l", "-slt", "missing.vum"}, folder.path());
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_TRUE(std::any_of(missing.lines.begin(), missing.lines.end(),
                          [](const std::string& line) { return line.starts_with("ERROR: "); }));
  EXPECT_FALSE(ArchiverSucceeded(missing.exit_code, missing.lines));
}

}  // namespace
}  // namespace torva
