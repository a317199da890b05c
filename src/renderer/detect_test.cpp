#include "renderer/detect.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/files.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using ::testing::_;
using ::testing::NiceMock;

class CheckRendererTest : public ::testing::Test {
 protected:
  CheckRendererTest() {
    program.state.MaxwellDir = maxwell_dir;
    fs::create_directories(program.paths.AppDir);
    WriteFile(maxwell_dir + "mximerge", "merge tool");
  }

  // A console renderer that prints `banner` and notes how it was started.
  void InstallRenderer(const std::string& banner) {
    const std::string path = maxwell_dir + "Maxwell.app/Contents/MacOS/Maxwell";
    WriteFile(path, "#!/bin/sh\necho \"$*\" > \"" + maxwell_dir + "started.txt\"\npwd >> \"" +
                        maxwell_dir + "started.txt\"\ncat <<'END'\n" + banner + "END\n");
    fs::permissions(path, fs::perms::owner_all);
  }

  TempFolder scratch;
  std::string maxwell_dir = scratch.path() + "/Maxwell 5/";
  NiceMock<MockDesktop> desktop;
  Program program{desktop, scratch.path() + "/app"};
};

TEST_F(CheckRendererTest, ReadsVersionAndGpuSupportOfRendererFive) {
  InstallRenderer(
      "Maxwell Render console\nEngine version 5.2.1.49\nGPU INFO : device 0\nbye\n");
  EXPECT_CALL(desktop, Message(_, _)).Times(0);
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
  EXPECT_EQ(program.state.RendererVersion, "5.2.1.49");
  EXPECT_TRUE(program.state.GpuCapable);
  EXPECT_EQ(program.state.OutputLine, "bye");
  EXPECT_EQ(ReadFile(maxwell_dir + "started.txt"),
            "-nogui -nowait\n" + fs::canonical(maxwell_dir).string() + "\n");
}

TEST_F(CheckRendererTest, GpuLinesCountOnlyForRendererFiveAfterItsVersion) {
  InstallRenderer("Engine version 4.2.0.3\nGPU INFO : device 0\n");
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
  EXPECT_EQ(program.state.RendererVersion, "4.2.0.3");
  EXPECT_FALSE(program.state.GpuCapable);

  program.state.RendererVersion.clear();
  InstallRenderer("GPU INFO : device 0\nEngine version 5.0.0\n");
  CheckRenderer(program);
  EXPECT_EQ(program.state.RendererVersion, "5.0.0");
  EXPECT_FALSE(program.state.GpuCapable);
}

TEST_F(CheckRendererTest, SecondDetectionStartsWithoutGpu) {
  InstallRenderer("Engine version 5.2.1.49\nGPU INFO : device 0\n");
  CheckRenderer(program);
  ASSERT_TRUE(program.state.GpuCapable);
  InstallRenderer("Engine version 5.2.1.49\n");
  CheckRenderer(program);
  EXPECT_FALSE(program.state.GpuCapable);
}

TEST_F(CheckRendererTest, OldVersionIsTooOld) {
  InstallRenderer("Engine version 2.6.9.0\n");
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kTooOld);
  EXPECT_EQ(program.state.RendererVersion, "2.6.9.0");
}

TEST_F(CheckRendererTest, WithoutVersionLineTheVersionStays) {
  InstallRenderer("Maxwell Render console\nERROR: no license\n");
  program.state.RendererVersion = "3.1.0";
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
  EXPECT_EQ(program.state.RendererVersion, "3.1.0");

  program.state.RendererVersion.clear();
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kTooOld);
  EXPECT_EQ(program.state.RendererVersion, "");
}

TEST_F(CheckRendererTest, RendererThatCannotStartReadsNothing) {
  program.state.RendererVersion = "5.2.1.49";
  program.state.GpuCapable = true;
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
  EXPECT_FALSE(program.state.GpuCapable);
}

TEST_F(CheckRendererTest, MergeToolInItsSecondPlaceIsEnough) {
  fs::remove(maxwell_dir + "mximerge");
  WriteFile(maxwell_dir + "mximerge.app/Contents/MacOS/mximerge", "merge tool");
  InstallRenderer("Engine version 3.1.0\n");
  EXPECT_CALL(desktop, Message(_, _)).Times(0);
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
}

TEST_F(CheckRendererTest, MissingMergeToolMovesTheConfigurationAsideAndEnds) {
  WriteFile(maxwell_dir + "mximerge", "");
  fs::create_directories(maxwell_dir + "mximerge.app/Contents/MacOS/mximerge");
  InstallRenderer("Engine version 5.2.1.49\n");
  WriteFile(program.paths.ConfigFile, "current configuration\n");
  WriteFile(program.paths.ConfigBackup, "older backup\n");
  EXPECT_CALL(desktop,
              Message("TORVAmeter error",
                      "The Maxwell Render executable cannot be found, TORVAmeter will now "
                      "quit.\nAt next launch, you will be asked to enter some configuration "
                      "information."))
      .Times(2);

  EXPECT_THROW(CheckRenderer(program), ProgramEnded);
  EXPECT_FALSE(fs::exists(program.paths.ConfigFile));
  EXPECT_EQ(ReadFile(program.paths.ConfigBackup), "current configuration\n");
  EXPECT_FALSE(fs::exists(maxwell_dir + "started.txt"));

  // Without a configuration to move the message and the end come all the same.
  EXPECT_THROW(CheckRenderer(program), ProgramEnded);
  EXPECT_FALSE(fs::exists(program.paths.ConfigBackup));
}

TEST(VersionIsOlder, ComparesAsText) {
  EXPECT_TRUE(VersionIsOlder("2.6.9.0", "2.7.0"));
  EXPECT_TRUE(VersionIsOlder("10.0.1", "2.7.0"));
  EXPECT_TRUE(VersionIsOlder("2.7", "2.7.0"));
  EXPECT_TRUE(VersionIsOlder("", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("2.7.0", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("2.7.0.1", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("3.1.0", "2.7.0"));
}

}  // namespace
}  // namespace torva
