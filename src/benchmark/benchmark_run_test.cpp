// The benchmark's steps over a played renderer: what it reads, shows, writes
// and decides, in process.
#include "benchmark/benchmark_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "benchmark/farm_figures.h"
#include "testing/benchmark_replays.h"
#include "testing/commands.h"
#include "testing/fake_renderer.h"
#include "testing/scripted_session.h"
#include "testing/temp_folder.h"
#include "watch/stop_rules.h"

namespace torva {
namespace {

using Lines = std::vector<std::string>;

class BenchmarkSteps : public BenchmarkTest {
 protected:
  void SetUp() override { ASSERT_TRUE(MakeBenchmarkFiles(bench_)); }

  // The program as start-up leaves it, its renderer of `version` playing `replay`.
  struct Session {
    Session(const BenchmarkSteps& test, const std::string& answers, const std::string& version,
            const std::string& replay, bool gpu = false)
        : runner(PlayedRenderer(version, replay, gpu)),
          scripted(answers),
          program(scripted.desktop(), test.app_, runner) {
      InstallPlayedRenderer(test.maxwell_, version);
      program.state.MaxwellDir = test.maxwell_;
      program.state.RendererVersion = version;
      program.state.GpuCapable = gpu;
    }
    bool Has(const std::string& line) {
      return ("\n" + scripted.transcript()).find("\n" + line + "\n") != std::string::npos;
    }
    FakeRunner runner;
    ScriptedSession scripted;
    Program program;
  };

  const std::string maxwell_ = folder_.path() + "/Maxwell/";
};

TEST_F(BenchmarkSteps, Renderers2To4UseTheirOwnScenesSizesAndFigures) {
  struct Case {
    std::string version, size1, size2, ratio, farm_sl, system, farm;
  };
  for (const Case& c : {Case{"2.7.0.1", "2304 x 3072", "768 x 1024", "0.7", "19.26",
                             "Absolute_yoursystem_1mn.jpg", "Absolute_Torva_1mn.jpg"},
                        Case{"3.9.9", "768 x 1024", "768 x 1024", "1.6", "16.04",
                             "TrainSSS_yoursystem_1mn.jpg", "TrainSSS_Torva_1mn.jpg"},
                        Case{"4.2.0.3", "768 x 1024", "768 x 1024", "1.7", "16.25",
                             "TrainSSS_yoursystem_1mn.jpg", "TrainSSS_Torva_1mn.jpg"}}) {
    SCOPED_TRACE(c.version);
    std::filesystem::remove(cpu_log_);
    Session s(*this, "press 6 after (estimation 3)\nclose\n", c.version, kBenchmarkReplay);
    RunBenchmark(s.program);
    const Lines panel = s.scripted.desktop().LogLines();
    ASSERT_GE(panel.size(), 5u);
    EXPECT_EQ(panel[4], "Estimating the time needed to reach SL=20 at " + c.size1 + "...");
    EXPECT_TRUE(
        s.Has("window \"TORVAmeter benchmark running... (real size " + c.size2 + ")\" 413 551"));
    EXPECT_TRUE(s.Has("window \"TORVAmeter benchmark result - 1 minute render (real size " +
                      c.size2 + ")\" 1050 724"));
    EXPECT_TRUE(s.Has("picture \"" + bench_ + "/" + c.farm +
                      "\" 525 700 \"The TORVA (1 mn render - SL = " + c.farm_sl + ")\""));
    EXPECT_TRUE(s.Has("picture \"" + bench_ + "/" + c.system +
                      "\" 525 700 \"Your system (1 mn render - SL = 12.50)\""));
    const FarmFigures farm = FarmFiguresFor(Constants{}, c.version, RenderMode::kCpu);
    EXPECT_EQ(s.program.state.FarmSpeedRatio, 631.0f / static_cast<float>(farm.seconds));
    EXPECT_EQ(ReadFile(cpu_log_),
              BenchmarkLogStart(c.version) + "The TORVA is " + c.ratio +
                  " times faster (+/- 10%) than this system (with CPU-Low priority, 32 nodes "
                  "V4).\n" +
                  DeltaSLLine(farm.sl - 12.5f) + "\n" + EquivalentSLLine(farm.sl - 12.5f) + "\n" +
                  kNotSettledLine);
  }
}

TEST_F(BenchmarkSteps, TheGpuPromptAfterACpuRunStartsTheGpuBenchmark) {
  Session s(*this,
            "yes\npress 6 after (estimation 3)\nclose\nyes\npress 6 after (estimation 3)\nclose\n",
            "5.2.1.49", kGpuBenchmarkReplay, true);
  RunBenchmark(s.program);
  const std::string transcript = s.scripted.transcript();
  const std::size_t prompt = transcript.find(
      "question \"TORVAmeter GPU benchmark?\" \"Do you want to launch the TORVAmeter GPU "
      "benchmark now?\\nRunning the benchmark is mandatory to run estimations.\\nYou can "
      "launch it at any time by clicking on the 'Benchmark' button.\" -> yes\n");
  ASSERT_NE(prompt, std::string::npos) << transcript;
  EXPECT_NE(
      transcript.find("log 3 \"The TORVAmeter GPU benchmark is running... (PHASE 1)\"", prompt),
      std::string::npos);
  // One CPU/GPU question only: the prompt enters after it.
  EXPECT_EQ(transcript.find("Do you want to run the CPU benchmark?", prompt), std::string::npos);
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 436.0f / 481.0f);
  EXPECT_EQ(s.program.state.GpuDeltaSL, 17.96f - 12.34f);
  EXPECT_EQ(s.program.state.BenchMode, RenderMode::kGpu);
  EXPECT_TRUE(BenchmarkLogPresent(cpu_log_));
  EXPECT_TRUE(BenchmarkLogPresent(gpu_log_));
}

// Renderers that crash, are killed, or predict what no machine could: the
// run fails with why, the earlier log stays byte for byte, and the record of
// the unfinished run says how the renderer ended.
TEST_F(BenchmarkSteps, ARenderThatDidNotEndWellGivesNoRatio) {
  const std::string three =
      "SL of 5.00. Elapsed 0h 0m 3s\nTime left: 1h 0m 0s\n"
      "SL of 5.50. Elapsed 0h 0m 6s\nTime left: 1h 0m 0s\n"
      "SL of 6.00. Elapsed 0h 0m 9s\nTime left: 1h 0m 0s\n";
  const std::string at_zero = "SL of 1.00. Elapsed 0h 0m 0s\nTime left: 0h 0m 10s\n";
  const std::string huge = "SL of 1.00. Elapsed 0h 0m 3s\nTime left: 87000h 0m 0s\n";
  struct Case {
    std::string replay, answers, why, record;
  };
  const std::vector<Case> cases = {
      {three + "@signal KILL\n", "", "Maxwell Render has crashed!\nIt was ended by signal 9",
       "\"phase1_ended_by\": \"renderer crashed\""},
      {three + "@exit 3\n", "", "Maxwell Render has crashed!\nIt ended with exit status 3",
       "\"phase1_renderer_end\": \"exit status 3\""},
      {"SL of 3.10. Elapsed 0h 0m 5s\nTime left: 0h 10m 0s\n"
       "SL of 3.20. Elapsed 0h 0m 10s\nTime left: 0h 10m 0s\n@sleep 3000\n@signal SEGV\n",
       "press 6 after (estimation 2)\n", "Maxwell Render has crashed!\nIt ended the one minute",
       "\"phase2_renderer_end\": \"signal 11 (Segmentation fault)\""},
      {at_zero + at_zero + at_zero + "@sleep 600000\n", "press 6 after (estimation 3)\n",
       "Maxwell Render gave 3 estimations of the whole render to SL=20 between 0h 0m 10s and "
       "0h 0m 10s: a speed ratio of 0.02, which no real computer could give.",
       "\"outcome\": \"impossible ratio\""},
      {huge + huge + "@sleep 600000\n", "press 6 after (estimation 2)\n",
       "a speed ratio of 651143.44, which", "\"speed_ratio\": null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WriteFile(cpu_log_, "the earlier log\n");
    Session s(*this, "yes\n" + c.answers, "5.2.1.49", c.replay);  // yes: run it again
    ExpectFailedKeeping(RunBenchmarkWithMode(s.program, RenderMode::kCpu), c.why,
                        "the earlier log\n", c.record);
  }
}

}  // namespace
}  // namespace torva
