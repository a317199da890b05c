#include "renderer/archiver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "install/app_folder.h"
#include "testing/files.h"
#include "testing/quiet_events.h"
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
  QuietEvents events;
  std::vector<std::string> seen;
  ArchiverWatch watch;
  watch.on_line = [&](const std::string& line) { seen.push_back(line); };

  const ArchiverRun packed = RunArchiver(RealRunner(), events, archiver,
                                         {"a", "project.vum", "scene.mxs"}, folder.path(), watch);
  EXPECT_EQ(packed.end, RunEnd::kFinished);
  EXPECT_EQ(packed.exit_code, 0);
  EXPECT_TRUE(ArchiverSucceeded(packed.exit_code, packed.errors));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() + "/project.vum"));
  EXPECT_NE(std::find(seen.begin(), seen.end(), "Everything is Ok"), seen.end());

  const ArchiverRun missing =
      RunArchiver(RealRunner(), events, archiver, {"l", "-slt", "missing.vum"}, folder.path());
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_FALSE(missing.errors.empty());
  EXPECT_FALSE(ArchiverSucceeded(missing.exit_code, missing.errors));
}

// A listing of many entries costs no memory for its lines: of its errors, one
// refused link and a few others are enough to judge the run.
TEST(RunArchiver, KeepsOnlyTheErrorsThatJudgeTheRun) {
  TempFolder folder;
  const std::string archiver = folder.path() + "/7za";
  WriteFile(archiver,
            "#!/bin/sh\nfor i in $(seq 20000); do echo 'ERROR: Dangerous link path was ignored : "
            "l'; echo 'ERROR: Cannot open file'; echo 'Size = 1'; done\nexit 2\n");
  std::filesystem::permissions(archiver, std::filesystem::perms::owner_all);
  QuietEvents events;
  int seen = 0;
  ArchiverWatch watch;
  watch.on_line = [&](const std::string&) { ++seen; };
  const ArchiverRun run = RunArchiver(RealRunner(), events, archiver, {"l"}, folder.path(), watch);
  EXPECT_EQ(seen, 60000);
  EXPECT_EQ(run.errors.size(), 1 + kKeptArchiverErrors);
  EXPECT_FALSE(ArchiverSucceeded(run.exit_code, run.errors));
}

}  // namespace
}  // namespace torva
