// The commands without a window know the window's questions by what they ask
// and the runs by their outcomes, never by their words: with every panel line,
// message and box reworded, they still answer, stop and report the same.
#include <gtest/gtest.h>

#include <filesystem>

#include "headless/command_runs.h"
#include "state/renderer_check.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/memory_file.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

class RewordedDesktop : public TerminalDesktop {
 public:
  using TerminalDesktop::TerminalDesktop;
  void AddLogLine(int position, const std::string&) override {
    TerminalDesktop::AddLogLine(position, "reworded");
  }
  void SetLogLine(int position, const std::string&) override {
    TerminalDesktop::SetLogLine(position, "reworded again");
  }
  void Message(const std::string&, const std::string&) override {
    TerminalDesktop::Message("Reworded", "reworded");
  }
  bool Question(QuestionId id, const std::string&, const std::string&) override {
    return TerminalDesktop::Question(id, "Reworded", "reworded?");
  }
  std::optional<std::string> Input(QuestionId id, const std::string&, const std::string&) override {
    return TerminalDesktop::Input(id, "Reworded", "reworded:");
  }
  std::optional<std::string> ChooseFile(QuestionId id, const std::string&, const std::string& dir,
                                        const std::string& filter) override {
    return TerminalDesktop::ChooseFile(id, "Reworded", dir, filter);
  }
};

TEST(RewordedWindow, TheCommandsWithoutAWindowStillBenchmarkPrepareAndEstimate) {
  TempFolder root;
  const std::string app = root.path() + "/TORVAmeter_Maxwell";
  ASSERT_EQ(RunCommand(ShellQuote(SourceDir() + "/tools/app-folder/install-app-folder") + " " +
                       ShellQuote(app) + " >/dev/null 2>&1")
                .status,
            0);
  fs::create_directory(app + "/archive");
  ASSERT_TRUE(MakeSubstituteInstallation(root.path() + "/Maxwell", "--speed 60 --seed 7"));
  fs::copy(SourceDir() + "/tools/sim-maxwell/scenes/Kitchen", root.path() + "/Kitchen",
           fs::copy_options::recursive);

  MemoryFile err;
  StatusOutput output(err.file(), false);
  RewordedDesktop desktop(output);
  Program program(desktop, app);
  program.renderer_probe_limit_ms = kPatientProbeLimitMs;
  program.state.MaxwellDir = root.path() + "/Maxwell/";
  ASSERT_EQ(CheckRenderer(program), RendererCheck::kUsable);

  const HeadlessOutcome benchmark =
      RunHeadlessBenchmark(ParseHeadlessCommand(HeadlessKind::kBenchmark, {}), program, desktop);
  EXPECT_EQ(benchmark.failure, "");
  EXPECT_TRUE(benchmark.summary.starts_with("Speed ratio ")) << benchmark.summary;

  const HeadlessOutcome prepared = RunHeadlessPrepare(
      ParseHeadlessCommand(HeadlessKind::kPrepare,
                           {root.path() + "/Kitchen/Kitchen.mxs", "--fast", "--allow-same-names"}),
      program, desktop);
  EXPECT_EQ(prepared.failure, "");
  EXPECT_TRUE(prepared.json &&
              JsonLine(*prepared.json).find("\"Kitchen.mxs\"") != std::string::npos);

  const HeadlessOutcome estimated = RunHeadlessEstimate(
      ParseHeadlessCommand(HeadlessKind::kEstimate, {app + "/archive/Kitchen.vum", "--size",
                                                     "400x400", "--sl", "12", "--seconds", "20"}),
      program, desktop);
  EXPECT_EQ(estimated.failure, "");
  EXPECT_NE(estimated.summary.find(" EUR without merging."), std::string::npos)
      << estimated.summary;
}

}  // namespace
}  // namespace torva
