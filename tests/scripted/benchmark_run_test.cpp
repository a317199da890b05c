// The Benchmark command run against the substitute renderer: replayed output
// for exact figures, and the scripted desktop standing in for the user.
#include "benchmark/benchmark_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "app/startup.h"
#include "benchmark/benchmark_log.h"
#include "benchmark/farm_figures.h"
#include "platform/cpu_info.h"
#include "testing/benchmark_replays.h"
#include "testing/commands.h"
#include "testing/fake_renderer.h"
#include "testing/scripted_session.h"
#include "watch/stop_rules.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines kBanner = {"<<   CLICK ON THE 'BENCHMARK' BUTTON TO GO TO PHASE 2   >>",
                       "<<          AFTER AT LEAST TWO ESTIMATIONS ARE DONE             >>", "",
                       "The TORVAmeter benchmark is currently running... (PHASE 1)"};
const Lines kHint = {"At least two estimations are needed before you can stop the simulation...",
                     "The more estimations are done, the more reliable the test.", ""};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class BenchmarkRunTest : public BenchmarkTest {
 protected:
  const std::string maxwell_ = folder_.path() + "/Maxwell";

  // A renderer of `version` that replays `replay` (the model when empty),
  // and an installed benchmark folder.
  void Install(const std::string& version, const std::string& replay = kBenchmarkReplay,
               const std::string& options = "") {
    std::string all = "--version " + version + " " + options;
    if (!replay.empty()) {
      WriteFile(folder_.path() + "/replay.txt", replay);
      all += " --replay " + ShellQuote(folder_.path() + "/replay.txt");
    }
    ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, all));
    ASSERT_TRUE(MakeBenchmarkFiles(bench_));
  }

  // The same renderer played in process, for what the steps make of its
  // lines; a renderer that can render on the GPU with `gpu`.
  void Play(const std::string& version, const std::string& replay = kBenchmarkReplay,
            bool gpu = false) {
    played_.emplace(PlayedRenderer(version, replay, gpu));
    InstallPlayedRenderer(maxwell_ + "/", version);
    ASSERT_TRUE(MakeBenchmarkFiles(bench_));
  }
  std::optional<FakeRunner> played_;

  // The program as start-up leaves it for this installation.
  struct Session {
    Session(BenchmarkRunTest& test, const std::string& answers, const std::string& version,
            bool gpu = false)
        : scripted(answers),
          program(scripted.desktop(), test.app_,
                  test.played_ ? static_cast<Runner&>(*test.played_) : RealRunner()) {
      program.renderer_probe_limit_ms = kPatientProbeLimitMs;
      program.state.MaxwellDir = test.maxwell_ + "/";
      program.state.RendererVersion = version;
      program.state.GpuCapable = gpu;
    }
    bool Has(const std::string& line) {
      const std::string all = "\n" + scripted.transcript();
      return all.find("\n" + line + "\n") != std::string::npos;
    }
    Lines Panel() { return scripted.desktop().LogLines(); }
    ScriptedSession scripted;
    Program program;
  };
};

TEST_F(BenchmarkRunTest, Renderer5CpuRunStoppedAfterThreeEstimations) {
  Install("5.2.1.49");
  WriteFile(gpu_log_, "the GPU log stays as it is\n");
  Session s(*this, "press 6 after (estimation 3)\nclose\n", "5.2.1.49");
  EXPECT_EQ(RunBenchmark(s.program).ending, Outcome::Ending::kFinished);

  EXPECT_EQ(s.Panel(),
            Join({{"",
                   "",
                   "",
                   "The TORVAmeter benchmark is currently running... (PHASE 1)",
                   "Estimating the time needed to reach SL=20 at 1536 x 2048...",
                   "",
                   "Time left to reach SL=20 ->  0h 10m 0s (estimation 1) at SL=6.50. Elapsed "
                   "0h 0m 15s",
                   "Time left to reach SL=20 ->  0h 10m 1s (estimation 2) at SL=8.12. Elapsed "
                   "0h 0m 30s",
                   "Time left to reach SL=20 ->  0h 10m 2s (estimation 3) at SL=9.00. Elapsed "
                   "0h 0m 45s",
                   "",
                   "The TORVA is 1.3 times faster (+/- 10%) than",
                   "this system (with CPU-Low priority, 32 nodes V4).",
                   "",
                   "The TORVAmeter benchmark is currently running... (PHASE 2)",
                   "This is a one minute render which cannot be interrupted.",
                   "",
                   "Elapsed 0h 0m 15s",
                   "Elapsed 0h 0m 30s",
                   "Elapsed 0h 0m 45s",
                   "Elapsed 0h 1m 0s",
                   "Time limit reached",
                   "",
                   "DeltaSL = 2.90",
                   "",
                   "(SL=10 on this system <=> SL=12.90 (+/- 0.2) on the TORVA.",
                   "",
                   "TORVAmeter Benchmark finished!",
                   "",
                   "Results have been written in:",
                   "   \"TORVAmeter_Benchmark.log\" ('/benchmark/' subfolder).",
                   "",
                   "PHASE 1 ended before its estimates had settled: the speed ratio may be "
                   "far off."}}));
  EXPECT_EQ(ReadFile(cpu_log_),
            BenchmarkLogStart("5.2.1.49") +
                "The TORVA is 1.3 times faster (+/- 10%) than this system (with CPU-Low "
                "priority, 32 nodes V4).\nDeltaSL = 2.90\n(SL=10 on this system <=> SL=12.90 "
                "(+/- 0.2) on the TORVA.\n" +
                kNotSettledLine);
  // A mean whole render of 631 s against the farm's 481 s; the results keep
  // full precision.
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 631.0f / 481.0f);
  EXPECT_EQ(s.program.state.DeltaSL, 15.4f - 12.5f);
  EXPECT_EQ(s.program.state.BenchMode, RenderMode::kCpu);
  EXPECT_EQ(s.program.state.GpuFarmSpeedRatio, 0);
  EXPECT_EQ(ReadFile(gpu_log_), "the GPU log stays as it is\n");

  EXPECT_TRUE(s.Has("disable 6"));
  // Scaled down to the room beside the main window; the result with its note.
  EXPECT_TRUE(s.Has("window \"TORVAmeter benchmark running... (real size 1536 x 2048)\" 413 551"));
  EXPECT_TRUE(s.Has("picture \"" + bench_ +
                    "/Bottles_yoursystem_1mn.jpg\" 413 551 \"Current SL = 12.50\""));
  EXPECT_TRUE(
      s.Has("window \"TORVAmeter benchmark result - 1 minute render (real size 1536 x "
            "2048)\" 1050 724"));
  EXPECT_TRUE(s.Has("picture \"" + bench_ +
                    "/Bottles_yoursystem_1mn.jpg\" 525 700 \"Your system (1 mn render - SL = "
                    "12.50)\""));
  EXPECT_TRUE(s.Has("picture \"" + bench_ +
                    "/Bottles_Torva_1mn.jpg\" 525 700 \"The TORVA (1 mn render - SL = 15.40)\""));
  EXPECT_TRUE(s.Has("picture \"" + bench_ + "/TORVAmeter_Benchmark.png\" 480 300 \"\""));
  const std::string transcript = s.scripted.transcript();
  EXPECT_EQ(transcript.substr(transcript.size() - 9), "enable 6\n");
  // The renderer 5 scene was copied in for the run and is gone again.
  EXPECT_FALSE(fs::exists(bench_ + "/Bottles_on_a_window.mxs"));
  EXPECT_FALSE(fs::exists(bench_ + "/OpenfootageNEtHDRCow_small.hdr"));
  const std::string record = ReadFile(bench_ + "/TORVAmeter_Benchmark.json");
  EXPECT_NE(record.find("\"estimate_seconds\": 602"), std::string::npos) << record;
  EXPECT_EQ(record.find("\"estimate_seconds\": 1200"), std::string::npos);
  EXPECT_NE(record.find("\"whole_render_seconds\": 647"), std::string::npos) << record;
  EXPECT_NE(record.find("\"mean_seconds\": 631,"), std::string::npos) << record;
}

TEST_F(BenchmarkRunTest, AStopAfterOneEstimationIsRefusedAndACloseRequestAnsweredNoGoesOn) {
  // Time enough between the estimates for each answer to be taken in turn.
  Play("5.2.1.49",
       "SL of 6.50. Elapsed 0h 0m 15s\nTime left: 0h 10m 0s\n@sleep 700\n"
       "SL of 8.12. Elapsed 0h 0m 30s\nTime left: 0h 10m 1s\n@sleep 1500\n"
       "SL of 9.00. Elapsed 0h 0m 45s\nTime left: 0h 10m 2s\n"
       "SL of 12.50. Time limit reached\n");
  Session s(*this,
            "press 6 after (estimation 1)\nclose after The more estimations\nno\n"
            "press 6 after (estimation 2)\nclose after Elapsed 0h 0m 30s\nno\nclose\n",
            "5.2.1.49");
  RunBenchmark(s.program);
  const Lines panel = s.Panel();
  ASSERT_GE(panel.size(), 14u);
  EXPECT_EQ(Lines(panel.begin() + 7, panel.begin() + 14),
            Join({kHint,
                  {"Time left to reach SL=20 ->  0h 10m 1s (estimation 2) at SL=8.12. Elapsed "
                   "0h 0m 30s",
                   "", "The TORVA is 1.3 times faster (+/- 10%) than",
                   "this system (with CPU-Low priority, 32 nodes V4)."}}));
  // 615 and 631 s give a mean of 623 (whole seconds); the one-minute render
  // went on to its end, and the close request kept meanwhile was asked about
  // only then.
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 623.0f / 481.0f);
  const std::string transcript = s.scripted.transcript();
  const std::string question =
      "question \"TORVAmeter\" \"Do you want to stop the benchmark and quit TORVAmeter?\" -> no";
  const std::size_t first = transcript.find(question);
  ASSERT_NE(first, std::string::npos) << transcript;
  const std::size_t second = transcript.find(question, first + 1);
  ASSERT_NE(second, std::string::npos) << transcript;
  EXPECT_LT(transcript.find("Time limit reached"), second);
  EXPECT_FALSE(s.program.state.quit_requested);
  EXPECT_EQ(s.program.state.DeltaSL, 15.4f - 12.5f);
  EXPECT_EQ(panel[panel.size() - 3], "   \"TORVAmeter_Benchmark.log\" ('/benchmark/' subfolder).");
}

// No to "run the CPU benchmark?" runs the GPU one: Escape or the close box
// runs neither.
TEST_F(BenchmarkRunTest, ADismissedCpuOrGpuQuestionStartsNothing) {
  Play("5.2.1.49", kGpuBenchmarkReplay, true);
  for (const char* dismiss : {"cancel\n", "close\n"}) {
    Session s(*this, dismiss, "5.2.1.49", true);
    EXPECT_EQ(RunBenchmark(s.program).ending, Outcome::Ending::kCancelled);
    EXPECT_EQ(s.scripted.transcript(),
              "question \"TORVAmeter Benchmark\" \"Do you want to run the CPU benchmark?\\nIf you "
              "answer 'No', the GPU benchmark will be run.\" -> cancel\n");
  }
  EXPECT_FALSE(fs::exists(bench_ + "/TORVAmeter_BenchmarkGPU.log"));
}

TEST_F(BenchmarkRunTest, TheGpuRunFromTheButtonLeavesTheCpuResultsAlone) {
  Play("5.2.1.49", kGpuBenchmarkReplay, true);
  WriteFile(cpu_log_, "the CPU log stays as it is\n");
  Session s(*this, "no\npress 6 after (estimation 3)\nclose\n", "5.2.1.49", true);
  s.program.state.FarmSpeedRatio = 3.25f;
  s.program.state.DeltaSL = 1.5f;
  RunBenchmark(s.program);

  EXPECT_TRUE(
      s.Has("question \"TORVAmeter Benchmark\" \"Do you want to run the CPU "
            "benchmark?\\nIf you answer 'No', the GPU benchmark will be run.\" -> no"));
  const Lines panel = s.Panel();
  ASSERT_GE(panel.size(), 20u);
  EXPECT_EQ(Lines(panel.begin() + 3, panel.begin() + 5),
            Lines({"The TORVAmeter GPU benchmark is running... (PHASE 1)",
                   "Estimating the time needed to reach SL=20 at 1536 x 2048..."}));
  EXPECT_TRUE(s.Has("log 0 \"<<           PLEASE WAIT FOR THE ESTIMATION TO          >>\""));
  EXPECT_TRUE(s.Has("log 1 \"<<      STABILIZE BEFORE CLICKING ON THE 'BENCHMARK' BUTTON   >>\""));
  EXPECT_TRUE(s.Has("log 10 \"The TORVA is 2.0 times faster (+/- 10%) than\""));
  EXPECT_TRUE(s.Has("log 11 \"this system (with GPU-Low priority, 14 nodes RTX).\""));
  EXPECT_TRUE(s.Has("log 13 \"The TORVAmeter GPU benchmark is running... (PHASE 2)\""));
  EXPECT_TRUE(
      s.Has("window \"TORVAmeter GPU benchmark result - 1 min. render (real size 1536 "
            "x 2048)\" 1050 724"));
  EXPECT_TRUE(s.Has("picture \"" + bench_ +
                    "/Bottles_yoursystem_1mn_gpu.jpg\" 525 700 \"Your system (1 mn render - "
                    "SL = 12.34)\""));
  EXPECT_TRUE(s.Has("picture \"" + bench_ +
                    "/Bottles_Torva_1mn_gpu.jpg\" 525 700 \"The TORVA (1 mn render - SL = "
                    "17.96)\""));
  EXPECT_EQ(panel[panel.size() - 3],
            "   \"TORVAmeter_BenchmarkGPU.log\" ('/benchmark/' subfolder).");
  EXPECT_EQ(ReadFile(gpu_log_),
            BenchmarkLogStart("5.2.1.49") +
                "The TORVA is 2.0 times faster (+/- 10%) than this system (with GPU-Low "
                "priority, 14 nodes RTX).\nDeltaSL = 5.62\n(SL=10 on this system <=> SL=15.62 "
                "(+/- 0.2) on the TORVA.\n" +
                kNotSettledLine);
  // Read back at the full precision of the record of the same run, not as
  // the log rounds them.
  EXPECT_EQ(s.program.state.GpuFarmSpeedRatio, 436.0f / 218.0f);
  EXPECT_EQ(s.program.state.GpuDeltaSL, 17.96f - 12.34f);
  EXPECT_NE(17.96f - 12.34f, 5.62f);
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 3.25f);
  EXPECT_EQ(s.program.state.DeltaSL, 1.5f);
  EXPECT_EQ(ReadFile(cpu_log_), "the CPU log stays as it is\n");
  EXPECT_TRUE(fs::exists(bench_ + "/TORVAmeter_BenchmarkGPU.json"));
}

TEST_F(BenchmarkRunTest, EarlyReturnsChangeNothing) {
  Play("5.2.1.49");
  const std::string old_log = BenchmarkLogStart("5.2.1.49") + "The TORVA is 9.9 times faster\n";
  WriteFile(cpu_log_, old_log);
  {
    Session s(*this, "no\n", "5.2.1.49");
    EXPECT_EQ(RunBenchmark(s.program).ending, Outcome::Ending::kCancelled);
    EXPECT_EQ(s.scripted.transcript(),
              "clear\nquestion \"TORVAmeter Benchmark\" \"The benchmark has already been run. "
              "Do you want to run it again?\\nIf yes the new data will replace the old "
              "values.\" -> no\n");
    EXPECT_EQ(ReadFile(cpu_log_), old_log);
  }
  {
    fs::remove(maxwell_ + "/library/Scenes/Bottles_on_a_window/Bottles_on_a_window.mxs");
    Session s(*this, "", "5.2.1.49");
    RunBenchmark(s.program);
    EXPECT_EQ(s.scripted.transcript(),
              "message \"TORVAmeter Benchmark Error\" \"Can't find Maxwell 5 benchmark "
              "scene!\\nPlease install Maxwell Studio on this system.\"\n");
  }
  {
    Play("2.6.9.0");
    Session s(*this, "", "2.7.0");  // the renderer was replaced since start-up
    RunBenchmark(s.program);
    EXPECT_EQ(s.scripted.transcript(),
              "clear\nmessage \"TORVAmeter error\" \"Your Maxwell Render version is "
              "2.6.9.0.\\nTORVAmeter needs at least Maxwell Render 2.0.2.0 to run the "
              "benchmark.\"\n");
    EXPECT_EQ(ReadFile(cpu_log_), old_log);
  }
}

TEST_F(BenchmarkRunTest, ARendererChangeAtStartUpSetsTheLogAsideAndOffersTheBenchmark) {
  Install("5.2.1.49");
  WriteFile(app_ + "/TORVAmeter_Maxwell.ini",
            ";Maxwell Render path\n" + maxwell_ +
                "/\n;TORVA login (crypted - do not modify)\n\n;TORVA password (crypted - do not "
                "modify)\n\n;Last directory from previous session\n" +
                app_ + "\n;Check for updates?\nNo\n");
  const std::string old_log = BenchmarkLogStart("4.2.0.3") +
                              "The TORVA is 9.9 times faster (+/- 10%) than this system\n"
                              "DeltaSL = 1.00\n(SL=10 ...\n";
  WriteFile(cpu_log_, old_log);
  // The result window, the chart it covered, then the main window.
  Session s(*this, "yes\nyes\npress 6 after (estimation 3)\nclose\nclose\nclose\n", "");
  RunProgram(s.program);
  const std::string transcript = s.scripted.transcript();
  EXPECT_NE(transcript.find(
                "question \"Maxwell Render path\" \"Is Maxwell Render path still " + maxwell_ +
                "/?\" -> yes\nmessage \"TORVAmeter Benchmark\" \"This is a new version, you "
                "will have to relaunch the integrated benchmark.\"\nquestion \"TORVAmeter "
                "benchmark?\" \"Do you want to launch the TORVAmeter benchmark now?"),
            std::string::npos)
      << transcript;
  EXPECT_EQ(ReadFile(bench_ + "/TORVAmeter_Benchmark.bak"), old_log);
  EXPECT_EQ(ReadFile(cpu_log_).substr(0, BenchmarkLogStart("5.2.1.49").size()),
            BenchmarkLogStart("5.2.1.49"));
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 631.0f / 481.0f);
}

// A renderer that cannot load the scene ends with an error status.
TEST_F(BenchmarkRunTest, NoEstimateEndsTheRunWithoutAResult) {
  Play("4.2.0.3", "ERROR: Unable to load the scene: TrainSSS.mxs is missing\n@exit 1\n");
  fs::remove(bench_ + "/TrainSSS.mxs");
  Session s(*this, "", "4.2.0.3");
  s.program.state.FarmSpeedRatio = 7.5f;
  const BenchmarkOutcome outcome = RunBenchmark(s.program);
  const std::string why = "Maxwell Render has crashed!\nIt ended with exit status 1.";
  EXPECT_EQ(outcome.ending, Outcome::Ending::kFailed);
  EXPECT_TRUE(outcome.message.starts_with(why)) << outcome.message;
  EXPECT_EQ(s.Panel(), Join({kBanner,
                             {"Estimating the time needed to reach SL=20 at 768 x 1024...", "", "",
                              "Maxwell Render has crashed!", "It ended with exit status 1.",
                              "The benchmark has been stopped: run it again to get its "
                              "results."}}));
  EXPECT_TRUE(
      s.Has("message \"TORVAmeter Benchmark Error\" \"Maxwell Render has crashed!\\nIt "
            "ended with exit status 1.\\nThe benchmark has been stopped: run it again to get its "
            "results.\""));
  const std::string transcript = s.scripted.transcript();
  EXPECT_EQ(transcript.substr(transcript.size() - 9), "enable 6\n");
  EXPECT_EQ(transcript.find("window "), std::string::npos);
  // No log is left behind, so the benchmark is still offered as not run.
  EXPECT_FALSE(fs::exists(cpu_log_));
  EXPECT_FALSE(fs::exists(cpu_log_ + ".new"));
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 0);
}

TEST_F(BenchmarkRunTest, NoSamplingLevelInTheOneMinuteRenderLeavesTheResultsNotRun) {
  Play("5.2.1.49",
       "Time left: 0h 10m 0s\n@sleep 150\nTime left: 0h 10m 2s\n@sleep 150\n"
       "Time left: 0h 10m 4s\n");
  Session s(*this, "", "5.2.1.49");
  RunBenchmark(s.program);
  const Lines panel = s.Panel();
  ASSERT_GE(panel.size(), 5u);
  EXPECT_EQ(panel[6], "Time left to reach SL=20 ->  0h 10m 0s (estimation 1) at SL=");
  EXPECT_EQ(Lines(panel.end() - 5, panel.end()),
            Lines({"This is a one minute render which cannot be interrupted.", "", "",
                   "Maxwell Render gave no sampling level during the one minute render, so "
                   "DeltaSL could not be measured.",
                   "The benchmark has been stopped: run it again to get its results."}));
  EXPECT_TRUE(s.Has("closewin \"TORVAmeter benchmark running... (real size 1536 x 2048)\""));
  EXPECT_EQ(s.scripted.transcript().find("1050 700"), std::string::npos);
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 0);
  EXPECT_EQ(s.program.state.DeltaSL, 0);
  // The run wrote no log: the benchmark is still "not run".
  EXPECT_FALSE(fs::exists(cpu_log_));
  EXPECT_FALSE(fs::exists(bench_ + "/Bottles_on_a_window.mxs"));
}

TEST_F(BenchmarkRunTest, AFailedReRunKeepsTheEarlierLogAndItsResults) {
  Play("4.2.0.3", "Rendering...\nERROR: the scene cannot be loaded\n");
  const std::string earlier = BenchmarkLogStart("4.2.0.3") + RatioLine(7.5f, RenderMode::kCpu) +
                              "\n" + DeltaSLLine(1.25f) + "\n" + EquivalentSLLine(1.25f) + "\n";
  WriteFile(cpu_log_, earlier);
  Session s(*this, "yes\n", "4.2.0.3");
  s.program.state.FarmSpeedRatio = 7.5f;
  s.program.state.DeltaSL = 1.25f;
  RunBenchmark(s.program);
  EXPECT_TRUE(s.Has("log 8 \"The benchmark has been stopped: run it again to get its results.\""))
      << s.scripted.transcript();
  EXPECT_EQ(ReadFile(cpu_log_), earlier);
  EXPECT_FALSE(fs::exists(cpu_log_ + ".new"));
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 7.5f);
  EXPECT_EQ(s.program.state.DeltaSL, 1.25f);
}

TEST_F(BenchmarkRunTest, QuittingDuringPhase1StopsTheRendererAndKeepsTheEarlierLog) {
  Install("5.2.1.49", "SL of 6.50. Elapsed 0h 0m 15s\nTime left: 0h 10m 0s\n@sleep 600000\n");
  const std::string earlier = BenchmarkLogStart("5.2.1.49") + RatioLine(7.5f, RenderMode::kCpu) +
                              "\n" + DeltaSLLine(1.25f) + "\n" + EquivalentSLLine(1.25f) + "\n";
  WriteFile(cpu_log_, earlier);
  Session s(*this, "yes\nclose after (estimation 1)\nyes\n", "5.2.1.49");
  s.program.state.FarmSpeedRatio = 7.5f;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunBenchmark(s.program).ending, Outcome::Ending::kQuit);
  // The renderer would sleep ten minutes more: it was stopped.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::minutes(5));
  EXPECT_TRUE(s.program.state.quit_requested);
  EXPECT_TRUE(
      s.Has("question \"TORVAmeter\" \"Do you want to stop the benchmark and quit "
            "TORVAmeter?\" -> yes"));
  EXPECT_EQ(ReadFile(cpu_log_), earlier);
  EXPECT_FALSE(fs::exists(cpu_log_ + ".new"));
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 7.5f);
  const std::string transcript = s.scripted.transcript();
  EXPECT_EQ(transcript.substr(transcript.size() - 9), "enable 6\n");
  EXPECT_EQ(transcript.find("(PHASE 2)"), std::string::npos) << transcript;
  EXPECT_FALSE(fs::exists(bench_ + "/Bottles_on_a_window.mxs"));
}

TEST_F(BenchmarkRunTest, ASilentRendererIsGivenUpLikeOneWithoutEstimates) {
  Install("5.2.1.49", "Rendering...\n@sleep 600000\n");
  Session s(*this, "", "5.2.1.49");
  BenchmarkOptions options;
  options.silence_limit_ms = 1500;
  const auto start = std::chrono::steady_clock::now();
  RunBenchmark(s.program, options);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::minutes(5));
  const std::vector<std::string> panel = s.Panel();
  EXPECT_NE(std::find(panel.begin(), panel.end(), SilenceLine(1500)), panel.end());
  EXPECT_TRUE(
      s.Has("message \"TORVAmeter Benchmark Error\" \"Maxwell Render gave no "
            "estimation of the time left, so the speed ratio could not be measured.\\n"
            "The benchmark has been stopped: run it again to get its results.\""));
  EXPECT_FALSE(fs::exists(cpu_log_));
}

TEST_F(BenchmarkRunTest, UnbelievableEstimatesAreNotCounted) {
  Play("5.2.1.49",
       "Time left: 700000h 0m 0s\nTime left: -5s\nSL of nan. Elapsed 0h 0m 1s\n"
       "SL of 1e308. Elapsed 0h 0m 2s\n");
  Session s(*this, "", "5.2.1.49");
  s.program.state.FarmSpeedRatio = 7.5f;
  RunBenchmark(s.program);
  EXPECT_TRUE(
      s.Has("message \"TORVAmeter Benchmark Error\" \"Maxwell Render gave no "
            "estimation of the time left, so the speed ratio could not be measured.\\n"
            "The benchmark has been stopped: run it again to get its results.\""));
  EXPECT_EQ(s.scripted.transcript().find("Time left to reach"), std::string::npos);
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 0);
  EXPECT_FALSE(fs::exists(cpu_log_));
}

// 0 reads back as "not run": a minute that reaches the farm's SL exactly is
// kept as the smallest difference, and the record says what was measured.
TEST_F(BenchmarkRunTest, ADeltaSlOfZeroIsWrittenAsTheSmallestDifference) {
  Play("5.2.1.49",
       "SL of 6.50. Elapsed 0h 0m 15s\nTime left: 0h 10m 0s\nSL of 7.00. Elapsed 0h 0m 30s\n"
       "Time left: 0h 10m 0s\n@sleep 1500\nSL of 15.40. Time limit reached\n");
  Session s(*this, "press 6 after (estimation 2)\nclose\n", "5.2.1.49");
  RunBenchmark(s.program);
  EXPECT_TRUE(ReadFile(cpu_log_).ends_with(std::string("DeltaSL = 0.01\n(SL=10 on this system <=> "
                                                       "SL=10.01 (+/- 0.2) on the TORVA.\n") +
                                           kNotSettledLine))
      << ReadFile(cpu_log_);
  EXPECT_EQ(s.program.state.DeltaSL, 0.01f);
  EXPECT_NE(ReadFile(bench_ + "/TORVAmeter_Benchmark.json").find("\"measured_delta_sl\": 0,"),
            std::string::npos);
}

// The substitute's model renders at its own pace: the ratio must not depend
// on how long the user lets PHASE 1 run.
TEST_F(BenchmarkRunTest, TheRatioDoesNotDependOnWhenPhase1Ends) {
  Install("5.2.1.49", "", "--speed 300 --seed 3");
  Session early(*this, "press 6 after (estimation 3)\nclose\n", "5.2.1.49");
  RunBenchmark(early.program);
  const float stopped_early = early.program.state.FarmSpeedRatio;

  fs::remove(cpu_log_);
  Session late(*this, "close\n", "5.2.1.49");
  RunBenchmark(late.program);
  const float left_alone = late.program.state.FarmSpeedRatio;
  ASSERT_GT(stopped_early, 0);
  ASSERT_GT(left_alone, 0);
  EXPECT_NEAR(left_alone / stopped_early, 1.0, 0.10) << stopped_early << " " << left_alone;
}

TEST_F(BenchmarkRunTest, AOneMinuteRenderThatNeverEndsIsStopped) {
  Install("5.2.1.49",
          "SL of 6.50. x\nTime left: 0h 10m 0s\nSL of 7.00. x\nTime left: 0h 10m 0s\n"
          "@sleep 600000\n");
  Session s(*this, "press 6 after (estimation 2)\n", "5.2.1.49");
  // The record and chart beside the log keep describing the log's run.
  WriteFile(bench_ + "/TORVAmeter_Benchmark.json", "the earlier run's record");
  WriteFile(bench_ + "/TORVAmeter_Benchmark.png", "the earlier run's chart");
  BenchmarkOptions options;
  options.phase2_limit_ms = 1500;
  RunBenchmark(s.program, options);
  EXPECT_EQ(ReadFile(bench_ + "/TORVAmeter_Benchmark.json"), "the earlier run's record");
  EXPECT_EQ(ReadFile(bench_ + "/TORVAmeter_Benchmark.png"), "the earlier run's chart");
  EXPECT_EQ(s.Panel().back(), "The benchmark has been stopped: run it again to get its results.");
  EXPECT_TRUE(
      s.Has("message \"TORVAmeter Benchmark Error\" \"The one minute render did not "
            "end and has been stopped, so DeltaSL could not be measured.\\nThe "
            "benchmark has been stopped: run it again to get its results.\""));
  EXPECT_EQ(s.program.state.DeltaSL, 0);
  EXPECT_NE(ReadFile(bench_ + "/TORVAmeter_Benchmark.unfinished.json")
                .find("\"outcome\": \"one-minute render timed out\""),
            std::string::npos);
}

TEST_F(BenchmarkRunTest, WithoutABenchmarkFolderRenderer5StillRunsAndShowsWhatItHas) {
  Play("5.2.1.49");
  fs::remove_all(bench_);  // made again for the log; no farm picture in it
  Session s(*this, "press 6 after (estimation 3)\nclose\n", "5.2.1.49");
  RunBenchmark(s.program);
  EXPECT_TRUE(s.Has("picture \"\" 525 700 \"The TORVA (1 mn render - SL = 15.40)\""));
  EXPECT_EQ(s.program.state.DeltaSL, 15.4f - 12.5f);
  EXPECT_TRUE(BenchmarkLogPresent(cpu_log_));
}

TEST_F(BenchmarkRunTest, ALogThatCannotBeCreatedStopsTheRunBeforeTheRenderer) {
  Play("5.2.1.49");
  fs::remove_all(bench_);
  WriteFile(bench_, "a file where the folder should be");
  Session s(*this, "", "5.2.1.49");
  RunBenchmark(s.program);
  EXPECT_EQ(s.scripted.transcript(),
            "clear\ndisable 6\nmessage \"TORVAmeter Benchmark Error\" \"The benchmark log " +
                cpu_log_ + " cannot be created.\\nThe benchmark has not been run.\"\nenable 6\n");
}

// Renderers that crash, are killed, or predict what no machine could: the
// run fails with why, the earlier log stays byte for byte, the record of the
// unfinished run says how the renderer ended, and nothing it started lives on.
TEST_F(BenchmarkRunTest, ARenderThatDidNotEndWellGivesNoRatio) {
  const std::string three = std::string("@helper 600\n") +
                            "SL of 5.00. Elapsed 0h 0m 3s\nTime left: 1h 0m 0s\n"
                            "SL of 5.50. Elapsed 0h 0m 6s\nTime left: 1h 0m 0s\n"
                            "SL of 6.00. Elapsed 0h 0m 9s\nTime left: 1h 0m 0s\n";
  struct Case {
    std::string replay, answers, why, record;
    StopRule rule = nullptr;
  };
  const std::vector<Case> cases = {
      {three + "@signal SEGV\n", "", "Maxwell Render has crashed!\nIt was ended by signal 11",
       "\"phase1_renderer_end\": \"signal 11 (Segmentation fault)\""},
      {"SL of 1.00. Elapsed 0h 0m 1s\n@sleep 600000\n", "",
       "Maxwell Render gave no estimation of the time left", "\"phase1_ended_by\": \"time limit\"",
       BenchmarkStop(std::nullopt, 2)},
  };
  const std::string pids = folder_.path() + "/helpers.txt";
  setenv("SIM_MAXWELL_HELPER_PIDFILE", pids.c_str(), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Install("5.2.1.49", c.replay);
    WriteFile(cpu_log_, "the earlier log\n");
    Session s(*this, "yes\n" + c.answers, "5.2.1.49");  // yes: run it again
    BenchmarkOptions options;
    options.phase1_stop_rule = c.rule;
    ExpectFailedKeeping(RunBenchmarkWithMode(s.program, RenderMode::kCpu, options), c.why,
                        "the earlier log\n", c.record);
  }
  unsetenv("SIM_MAXWELL_HELPER_PIDFILE");
  std::istringstream helpers(ReadFile(pids));
  int helper_count = 0;
  for (std::string pid; std::getline(helpers, pid); ++helper_count) {
    const std::string stat = ReadFile("/proc/" + pid + "/stat");  // "" once it is gone
    EXPECT_TRUE(stat.empty() || stat.find(") Z ") != std::string::npos)
        << "helper " << pid << " outlived its renderer";
  }
  EXPECT_EQ(helper_count, 1);
}

}  // namespace
}  // namespace torva
