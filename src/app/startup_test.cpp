#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "state/config/settings.h"
#include "testing/fake_renderer.h"
#include "testing/files.h"
#include "testing/scripted_session.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

TEST(SetProbeLimit, TakesWholeSecondsUpToADay) {
  ScriptedSession session("");
  Program program(session.desktop(), "/nowhere");
  EXPECT_EQ(program.renderer_probe_limit_ms, 20000);
  EXPECT_TRUE(SetProbeLimit("1", program));
  EXPECT_EQ(program.renderer_probe_limit_ms, 1000);
  EXPECT_TRUE(SetProbeLimit("86400", program));
  EXPECT_EQ(program.renderer_probe_limit_ms, 86400000);
  for (const char* bad : {"", "0", "86401", "-5", "2.5", "10s", " 10", "99999999999"}) {
    EXPECT_FALSE(SetProbeLimit(bad, program)) << bad;
  }
  EXPECT_EQ(program.renderer_probe_limit_ms, 86400000);
}

// The steps below start-up only say that the program must end; start-up shows
// their last message and ends it, writing nothing.
class StartUpEndTest : public ::testing::Test {
 protected:
  StartUpEndTest() { fs::create_directories(app_); }

  // A configuration naming `maxwell_dir`, with the update check off.
  void Configure(const std::string& maxwell_dir) {
    ScriptedSession writer("");
    Program program(writer.desktop(), app_);
    program.state.MaxwellDir = maxwell_dir;
    ASSERT_TRUE(SaveConfiguration(program));
  }

  std::string Run(const std::string& answers) {
    ScriptedSession session(answers);
    Program program(session.desktop(), app_);
    EXPECT_EQ(RunProgram(program), 0);
    return session.transcript();
  }

  TempFolder scratch_;
  std::string app_ = scratch_.path() + "/app";
  std::string maxwell_dir_ = scratch_.path() + "/Maxwell/";
};

TEST_F(StartUpEndTest, AnInstallationWithoutItsMergeToolEndsAfterItsMessage) {
  InstallFakeRenderer(maxwell_dir_, PrintingBanner("Engine version 5.2.1.49\n"));
  WriteFile(maxwell_dir_ + "mximerge", "");
  Configure(maxwell_dir_);
  const std::string configuration = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");

  EXPECT_EQ(Run(""),
            "message \"TORVAmeter error\" \"The Maxwell Render executable cannot be found, "
            "TORVAmeter will now quit.\\nAt next launch, you will be asked to enter some "
            "configuration information.\"\n");
  EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.ini"));
  EXPECT_EQ(ReadFile(app_ + "/TORVAmeter_Maxwell.ini.bak"), configuration);
}

TEST_F(StartUpEndTest, ATooOldRendererEndsAfterItsMessage) {
  InstallFakeRenderer(maxwell_dir_, PrintingBanner("Engine version 2.6.9.0\n"));
  Configure(maxwell_dir_);
  const std::string configuration = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");

  EXPECT_EQ(Run(""),
            "message \"TORVAmeter error\" \"Your Maxwell Render version is 2.6.9.0.\\nThis "
            "version of TORVAmeter needs Maxwell Render 2.7.0 (or newer) to run.\"\n");
  EXPECT_EQ(ReadFile(app_ + "/TORVAmeter_Maxwell.ini"), configuration);
}

TEST_F(StartUpEndTest, AFirstRunWithoutARendererFolderEndsAfterItsMessage) {
  const std::string transcript = Run("cancel\n");
  EXPECT_TRUE(transcript.ends_with(
      "\" \"*.*|*.*\" -> cancel\n"
      "message \"TORVAmeter error\" \"No file selected, TORVAmeter will now quit\"\n"))
      << transcript;
  EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.ini"));
}

// "Already running" only when another copy holds the folder, and then the
// folder is left as it was; any other trouble is named as it is.
TEST_F(StartUpEndTest, OnlyAHeldLockIsAnotherCopyAndTheFolderIsLaidOutOnlyOnceHeld) {
  bool laid_out = false;
  const auto lay_out = [&](const std::string&) { laid_out = true; };
  {
    const FolderLockAttempt first = FolderLock::Take(app_);
    ASSERT_TRUE(first.lock);
    ScriptedSession session("");
    Program program(session.desktop(), app_);
    RunProgram(program, lay_out);
    EXPECT_FALSE(laid_out);
    EXPECT_NE(session.transcript().find("already running"), std::string::npos);
  }
  WriteFile(scratch_.path() + "/a file", "");
  fs::remove(app_ + "/.TORVAmeter.lock");
  fs::create_symlink(".TORVAmeter.lock", app_ + "/.TORVAmeter.lock");  // a loop
  for (const std::string& folder : {scratch_.path() + "/a file", app_}) {
    const AppFolderLock lock = LockAppFolder(folder);
    EXPECT_FALSE(lock.lock || lock.held_by_another) << folder;
    EXPECT_TRUE(lock.refusal.starts_with("The application folder " + folder + " cannot be used: "))
        << lock.refusal;
  }
}

}  // namespace
}  // namespace torva
