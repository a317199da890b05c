#include "state/renderer_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/fake_renderer.h"
#include "testing/files.h"
#include "testing/scripted_session.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

class CheckRendererTest : public ::testing::Test {
 protected:
  CheckRendererTest() {
    fs::create_directories(program.paths.AppDir);
    program.state.MaxwellDir = maxwell_dir;
  }

  TempFolder scratch;
  std::string maxwell_dir = scratch.path() + "/Maxwell/";
  ScriptedSession session{""};
  Program program{session.desktop(), scratch.path() + "/app"};
};

TEST_F(CheckRendererTest, SetsTheProgramStateFromTheRendererSilently) {
  InstallFakeRenderer(maxwell_dir, PrintingBanner("Engine version 5.2.1.49\nGPU INFO 0\nbye\n"));
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
  EXPECT_EQ(program.state.RendererVersion, "5.2.1.49");
  EXPECT_TRUE(program.state.GpuCapable);

  // A second detection starts without GPU support.
  InstallFakeRenderer(maxwell_dir, PrintingBanner("Engine version 2.6.9.0\n"));
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kTooOld);
  EXPECT_EQ(program.state.RendererVersion, "2.6.9.0");
  EXPECT_FALSE(program.state.GpuCapable);
  EXPECT_EQ(session.transcript(), "");
}

TEST_F(CheckRendererTest, WithoutVersionLineTheVersionStays) {
  InstallFakeRenderer(maxwell_dir, PrintingBanner("ERROR: no license\n"));
  program.state.RendererVersion = "3.1.0";
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kUsable);
  EXPECT_EQ(program.state.RendererVersion, "3.1.0");

  program.state.RendererVersion.clear();
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kTooOld);
  EXPECT_EQ(program.state.RendererVersion, "");
}

TEST_F(CheckRendererTest, RendererThatHangsWithoutAVersionIsTooOld) {
  InstallFakeRenderer(maxwell_dir, PrintingBanner("Maxwell Render console\n") + "\nsleep 600");
  program.renderer_probe_limit_ms = 2000;
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kTooOld);
  EXPECT_EQ(program.state.RendererVersion, "");
  EXPECT_EQ(session.transcript(), "");
}

TEST_F(CheckRendererTest, MissingMergeToolMovesTheConfigurationAsideAndEnds) {
  InstallFakeRenderer(maxwell_dir, PrintingBanner("Engine version 5.2.1.49\n"));
  WriteFile(maxwell_dir + "mximerge", "");
  WriteFile(program.paths.ConfigFile, "current configuration\n");
  fs::permissions(program.paths.ConfigFile, fs::perms(0644));
  WriteFile(program.paths.config_backup, "older backup\n");
  const std::string message =
      "The Maxwell Render executable cannot be found, TORVAmeter will now quit.\nAt next "
      "launch, you will be asked to enter some configuration information.";

  // The check only says so; the renderer is not run and nothing is moved.
  EXPECT_EQ(CheckRenderer(program), RendererCheck::kInstallationGone);
  EXPECT_EQ(program.state.RendererVersion, "");
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), "current configuration\n");

  const Next end = GiveUpOnInstallation(program);
  EXPECT_EQ(end.kind, Next::kEndProgram);
  EXPECT_EQ(end.last_message, message);
  EXPECT_FALSE(fs::exists(program.paths.ConfigFile));
  EXPECT_EQ(ReadFile(program.paths.config_backup), "current configuration\n");
  EXPECT_EQ(fs::status(program.paths.config_backup).permissions() & fs::perms::all,
            fs::perms(0600));

  // Without a configuration to move the message and the end come all the same.
  const Next again = GiveUpOnInstallation(program);
  EXPECT_EQ(again.kind, Next::kEndProgram);
  EXPECT_EQ(again.last_message, message);
  EXPECT_FALSE(fs::exists(program.paths.config_backup));
  EXPECT_EQ(session.transcript(), "");

  // The driver shows the message, and its outcome ends the program.
  Outcome outcome;
  EndProgramAfter(session.desktop(), end, outcome);
  EXPECT_TRUE(outcome.EndsProgram());
  EXPECT_EQ(outcome.reason, end.reason);
  EXPECT_EQ(session.transcript(),
            "message \"TORVAmeter error\" \"The Maxwell Render executable cannot be found, "
            "TORVAmeter will now quit.\\nAt next launch, you will be asked to enter some "
            "configuration information.\"\n");
}

}  // namespace
}  // namespace torva
