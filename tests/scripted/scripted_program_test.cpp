// Runs the scripted program as a user would, and reads its transcript.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/folder_lock.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

using Outcome = CommandOutcome;

class ScriptedProgramTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string app_ = folder_.path() + "/TORVAmeter_Maxwell";
  std::string maxwell_ = folder_.path() + "/Maxwell";

  void MakeInstallation(const std::string& options = "") {
    ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, options)) << options;
  }

  // A configuration as a finished first run leaves it.
  void WriteConfig(const std::string& updates = "No") {
    fs::create_directories(app_);
    WriteFile(app_ + "/TORVAmeter_Maxwell.ini",
              ";Maxwell Render path\n" + maxwell_ +
                  "/\n;TORVA login (crypted - do not modify)\n\n;TORVA password (crypted - "
                  "do not modify)\n\n;Last directory from previous session\n" +
                  folder_.path() + "/\n;Check for updates?\n" + updates + "\n");
  }

  Outcome RunProgram(const std::string& answers) { return RunScriptedProgram(app_, answers); }
};

// A second program on the same folder would mix scripts, work folders and
// configuration with the first: it says so and leaves, writing nothing.
TEST_F(ScriptedProgramTest, ASecondProgramOnTheSameFolderLeavesAtOnce) {
  MakeInstallation();
  WriteConfig();
  const std::string config = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");
  {
    const FolderLockAttempt first = FolderLock::Take(app_);
    ASSERT_TRUE(first.lock);
    Outcome second = RunProgram("close\n");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.output,
              "message \"TORVAmeter warning\" \"TORVAmeter is already running with the folder " +
                  app_ + ".\\nThis copy will now quit.\"\nexit 0\n");
    EXPECT_EQ(ReadFile(app_ + "/TORVAmeter_Maxwell.ini"), config);
    EXPECT_FALSE(fs::exists(app_ + "/archive"));
  }
  // Once the first is gone, the folder is free again.
  Outcome later = RunProgram("no\nclose\n");
  EXPECT_EQ(later.status, 0) << later.output;
  EXPECT_EQ(later.output.find("already running"), std::string::npos) << later.output;
}

// Quitting from the benchmark offered at start-up: the renderer is stopped,
// no benchmark log is left, and the program ends as after a close of the
// main window (status 0, the configuration written).
TEST_F(ScriptedProgramTest, QuittingDuringTheBenchmarkEndsTheProgramNormally) {
  MakeInstallation("--speed 60");
  ASSERT_EQ(RunCommand(ShellQuote(SourceDir() + "/tools/app-folder/install-app-folder") + " " +
                       ShellQuote(app_) + " >/dev/null 2>&1")
                .status,
            0);
  WriteConfig();
  // Dated an hour back, so that a rewrite shows.
  const auto before = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(app_ + "/TORVAmeter_Maxwell.ini", before);
  Outcome run = RunProgram("yes\nclose main after (estimation 1)\nyes\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(
      run.Has("question \"TORVAmeter\" \"Do you want to stop the benchmark and quit "
              "TORVAmeter?\" -> yes"))
      << run.output;
  EXPECT_EQ(run.output.find("(PHASE 2)"), std::string::npos);
  const std::size_t quit = run.output.find("quit TORVAmeter?\" -> yes\n");
  EXPECT_NE(run.output.find("\nenable 6\n", quit), std::string::npos) << run.output;
  EXPECT_TRUE(run.output.ends_with("exit 0\n")) << run.output;
  EXPECT_FALSE(fs::exists(app_ + "/benchmark/TORVAmeter_Benchmark.log"));
  EXPECT_FALSE(fs::exists(app_ + "/benchmark/TORVAmeter_Benchmark.log.new"));
  EXPECT_GT(fs::last_write_time(app_ + "/TORVAmeter_Maxwell.ini"), before);
  EXPECT_NE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find(maxwell_), std::string::npos);
}

TEST_F(ScriptedProgramTest, FirstStartAsksTheQuestionsThenRunsTheSmallCommands) {
  MakeInstallation();
  Outcome run = RunProgram("file " + maxwell_ +
                           "/mximerge\nyes\ninput bob\ninput pw\nno\nno\n"
                           "press 9\npress 13\npress 0\npress 4\npress 8\nclose\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(fs::is_directory(app_ + "/archive"));
  EXPECT_TRUE(
      run.Has("question \"TORVA account?\" \"Do you already have a TORVA account?\" -> yes"));
  EXPECT_TRUE(
      run.Has("message \"About TORVAmeter for Maxwell\" \"      TORVAmeter 2.8 for "
              "Maxwell Render\\nMade by the TORVA render farm team\\n"
              "               https://www.torva.fr\""));
  EXPECT_NE(run.output.find("message \"CPU Info\" \""), std::string::npos);
  EXPECT_NE(run.output.find(" threads\"\n"), std::string::npos);
  EXPECT_TRUE(run.Has("open \"https://www.torva.fr/en/rendering/maxwell\""));
  EXPECT_TRUE(run.Has("open \"https://www.torva.fr/en/estimate-the-rendering-time/maxwell\""));
  EXPECT_TRUE(run.Has("open \"https://www.torva.fr/en/renderfarm/prices\""));
  EXPECT_EQ(run.output.substr(run.output.size() - 7), "exit 0\n");

  std::string config = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");
  EXPECT_EQ(config.rfind(";Maxwell Render path\n" + maxwell_ + "/\n", 0), 0u);
}

TEST_F(ScriptedProgramTest, ATooOldRendererEndsTheProgramWithoutWriting) {
  MakeInstallation("--version 2.6.9.0");
  WriteConfig("Maybe");
  Outcome run = RunProgram("");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "message \"TORVAmeter error\" \"Your Maxwell Render version is 2.6.9.0.\\nThis "
            "version of TORVAmeter needs Maxwell Render 2.7.0 (or newer) to run.\"\n"
            "exit 0\n");
  EXPECT_NE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find("\nMaybe\n"), std::string::npos);
}

TEST_F(ScriptedProgramTest, AMissingRendererSetsTheConfigurationAsideForTheNextStart) {
  WriteConfig();  // points at a folder that holds no renderer
  WriteFile(app_ + "/TORVAmeter_Maxwell.ini.bak", "older backup");
  std::string config = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");
  Outcome run = RunProgram("");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"The Maxwell Render executable cannot "
              "be found, TORVAmeter will now quit.\\nAt next launch, you will be "
              "asked to enter some configuration information.\""));
  EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.ini"));
  EXPECT_EQ(ReadFile(app_ + "/TORVAmeter_Maxwell.ini.bak"), config);

  Outcome next = RunProgram("cancel\n");
  EXPECT_EQ(next.status, 0);
  EXPECT_NE(next.output.find("message \"Welcome to TORVAmeter - First run\""), std::string::npos);
  EXPECT_TRUE(
      next.Has("message \"TORVAmeter error\" \"No file selected, TORVAmeter will now quit\""));
}

TEST_F(ScriptedProgramTest, HelpOpensTheDocumentOnlyWhenItHasContent) {
  MakeInstallation();
  WriteConfig();
  WriteFile(app_ + "/TORVAmeter_Maxwell_Mac.pdf", "");
  Outcome empty = RunProgram("no\npress 10\nclose\n");
  EXPECT_TRUE(empty.Has(
      "message \"TORVAmeter error\" \"The TORVAmeter_Maxwell_Mac.pdf file cannot be found!\""));

  WriteFile(app_ + "/TORVAmeter_Maxwell_Mac.pdf", "%PDF-1.4");
  Outcome full = RunProgram("no\npress 10\nclose\n");
  EXPECT_TRUE(full.Has("open \"" + app_ + "/TORVAmeter_Maxwell_Mac.pdf\""));
}

TEST_F(ScriptedProgramTest, ClosingRewritesTheConfigurationWithTenLines) {
  MakeInstallation();
  WriteConfig();
  std::string ten = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");
  WriteFile(app_ + "/TORVAmeter_Maxwell.ini", ten + "size limit\n99\n");
  Outcome run = RunProgram("no\nclose\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadFile(app_ + "/TORVAmeter_Maxwell.ini"), ten);
}

TEST_F(ScriptedProgramTest, AnAnswerFileThatRunsOutIsStuck) {
  MakeInstallation();
  WriteConfig();
  Outcome run = RunProgram("no\npress 11\n");  // Config asks a question nobody answers
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.output.find("stuck \"question \\\"Check for updates\\\""), std::string::npos);
  EXPECT_EQ(run.output.substr(run.output.size() - 7), "exit 3\n");
}

TEST_F(ScriptedProgramTest, AMalformedAnswerFileStopsBeforeAnythingRuns) {
  Outcome run = RunProgram("yes\nperhaps\n");
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.output, "");
  EXPECT_FALSE(fs::exists(app_));
}

}  // namespace
}  // namespace torva
