#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "headless/command_runs.h"
#include "testing/fake_renderer.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

// What stops `setup --maxwell FOLDER ARGS...` before the renderer is run.
class SetupRefusals : public ::testing::Test {
 protected:
  TempFolder folder_;
  ::testing::NiceMock<MockDesktop> desktop_;
  Program program_{desktop_, folder_.path()};

  std::string Failure(const std::string& maxwell, std::vector<std::string> args) {
    args.insert(args.begin(), {"--maxwell", maxwell});
    const HeadlessCommand command = ParseHeadlessCommand(HeadlessKind::kSetup, args);
    EXPECT_EQ(command.error, "");
    return RunSetup(command, program_, "torvameter").failure;
  }
};

// A FIFO without a writer would be waited on for ever, a folder read as an
// empty password, /dev/zero as zeros.
TEST_F(SetupRefusals, APasswordFileThatIsNoRegularFile) {
  const std::string fifo = folder_.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {folder_.path(), std::string("/dev/zero"), fifo})
    EXPECT_EQ(Failure(folder_.path(), {"--login", "ann", "--password-file", path}),
              "--password-file: " + path + " is not a regular file");
}

TEST_F(SetupRefusals, APasswordLongerThanTheSettingsKeep) {
  EXPECT_EQ(Failure(folder_.path(), {"--login", "ann", "--password", std::string(21, 'p')}),
            "The password has 21 characters, and the settings keep only 20: give one of at most "
            "20 characters.");
  EXPECT_EQ(Failure(folder_.path(), {"--login", "ann", "--password", std::string(20, 'p')}),
            "no Maxwell Render installation in " + folder_.path() + "/ (no mximerge)");
}

TEST_F(SetupRefusals, AFolderNameWithALineFeed) {
  const std::string folder = folder_.path() + "/Maxwell\nRender";
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  EXPECT_EQ(Failure(folder, {}),
            "--maxwell: a folder name with a line feed cannot be kept in the settings");
}

// The renderer is run, found too old, and its message told; nothing is written.
TEST_F(SetupRefusals, ARendererOlderThanTheProgramNeeds) {
  const std::string maxwell = folder_.path() + "/Maxwell";
  InstallFakeRenderer(maxwell + "/", PrintingBanner("Engine version 2.6.9.0\n"));
  EXPECT_CALL(desktop_, Message("TORVAmeter error",
                                "Your Maxwell Render version is 2.6.9.0.\nThis version of "
                                "TORVAmeter needs Maxwell Render 2.7.0 (or newer) to run."));
  EXPECT_EQ(Failure(maxwell, {}), "Maxwell Render is too old");
  EXPECT_FALSE(std::filesystem::exists(program_.paths.ConfigFile));
}

}  // namespace
}  // namespace torva
