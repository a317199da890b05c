// Estimations from end to end: the scripted desktop answers, the substitute
// renderer renders (replaying exact lines where the test needs them), 7za
// unpacks real archives.
#include "estimate/estimation_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "platform/own_folder.h"
#include "testing/commands.h"
#include "testing/fake_renderer.h"
#include "testing/scripted_session.h"
#include "watch/stop_rules.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr char kScene[] = "SIM-MXS 1\ncamera Main;800x600 active\nmxi-size-mb 3\n";
constexpr char kCameras[] = "Main;800x600, 35mm, active;1\n";
constexpr std::uintmax_t kMiB = 1048576;

bool Contains(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

std::string Answers(const std::string& vum,
                    const std::string& sizes = "input 800\ninput 600\ninput 20\n") {
  return "file " + vum + "\n" + sizes;
}

// The benchmark results the estimation finds.
struct Ratios {
  float cpu = 12.5f, delta = 3.5f, gpu = 0, gpu_delta = 0;
};

class EstimationTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  std::string app_ = temp_.path() + "/TORVAmeter_Maxwell";
  std::string maxwell_ = temp_.path() + "/Maxwell";
  std::string project_ = temp_.path() + "/project";
  std::string outside_ = temp_.path() + "/outside";
  std::string args_file_ = temp_.path() + "/renderer-arguments.txt";
  std::string work_ = app_ + "/workdir";
  std::string estimate_ = app_ + "/estimate";

  // The substitute installation; `replay` lines are what every render prints,
  // and a render that is not stopped says at its end that it reached its SL.
  void Install(const std::string& replay = "", const std::string& options = "") {
    std::string all = options;
    if (!replay.empty()) {
      WriteFile(temp_.path() + "/replay.txt", replay + "Target sampling level reached\n");
      all += " --replay " + ShellQuote(temp_.path() + "/replay.txt");
    }
    ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, all));
    // A wrapper notes the arguments of each render before the renderer runs.
    const std::string bin = maxwell_ + "/Maxwell.app/Contents/MacOS/";
    fs::rename(bin + "Maxwell", bin + "Maxwell.real");
    WriteExecutable(bin + "Maxwell",
                    "#!/bin/sh\ncase \"$*\" in *-mxs:*) printf '%s\\n' \"$@\" > " +
                        ShellQuote(args_file_) +
                        ";; esac\nexec \"$(dirname \"$0\")/Maxwell.real\" \"$@\"\n");
    LayOutTheRest();
  }

  // The renderer played in process instead, from the same replay; 7za
  // still runs for real.
  void Play(const std::string& replay, bool gpu = false) {
    played_.emplace(PlayedRenderer("5.2.1.49", replay + "Target sampling level reached\n", gpu));
    WriteFile(maxwell_ + "/mximerge", "merge tool");
    LayOutTheRest();
  }
  std::optional<FakeRunner> played_;

  void LayOutTheRest() {
    fs::create_directories(app_ + "/archive");
    CommandOutcome where = RunCommand("command -v 7za");
    ASSERT_EQ(where.status, 0);
    fs::copy_file(where.output.substr(0, where.output.find('\n')), app_ + "/7za",
                  fs::copy_options::overwrite_existing);
    WriteFile(outside_ + "/victim", "keep me");
  }

  // A project folder as preparation leaves it, packed into ArchiveDir.
  std::string Pack(const std::string& archive = "Kitchen.vum") {
    const std::string path = app_ + "/archive/" + archive;
    fs::remove(path);  // 7za would update an archive that exists
    CommandOutcome packed = RunCommand("cd " + ShellQuote(project_) + " && 7za a -mx=1 " +
                                       ShellQuote(path) + " . >/dev/null 2>&1");
    EXPECT_EQ(packed.status, 0);
    return path;
  }
  std::string PackPrepared(const std::string& scene = "Kitchen.mxs",
                           const std::string& archive = "Kitchen.vum") {
    WriteFile(project_ + "/" + scene, kScene);
    WriteFile(project_ + "/cameras.txt", kCameras);
    WriteFile(project_ + "/TORVAmeter_Maxwell.log", "project log\n");
    return Pack(archive);
  }

  std::string Estimate(const std::string& answers, Ratios ratios = {}) {
    ScriptedSession session(answers);
    Program program(session.desktop(), app_,
                    played_ ? static_cast<Runner&>(*played_) : RealRunner());
    program.renderer_probe_limit_ms = kPatientProbeLimitMs;
    program.state.MaxwellDir = maxwell_ + "/";
    program.state.RendererVersion = renderer_version_before_;
    program.state.FarmSpeedRatio = ratios.cpu;
    program.state.DeltaSL = ratios.delta;
    program.state.GpuFarmSpeedRatio = ratios.gpu;
    program.state.GpuDeltaSL = ratios.gpu_delta;
    program.constants.MxiSizeLimitMB = limit_mb_;
    program.state.LastSamplingLevel = last_sl_;
    try {
      ending_ = RunEstimation(program, options_).ending;
    } catch (const ScriptStuck&) {
      ADD_FAILURE() << "the answers ran out:\n" << session.transcript();
    }
    quit_requested_ = program.state.quit_requested;
    last_sl_ = program.state.LastSamplingLevel;
    return session.transcript();
  }

  EstimationOptions options_;
  bool quit_requested_ = false;
  std::string last_sl_;  // the SL box's starting text, kept from run to run
  std::optional<Outcome::Ending> ending_;

  std::string Log(const std::string& name) { return ReadFile(estimate_ + "/" + name); }
  // The arguments of the last render, a line each.
  std::string RendererArguments() {
    if (!played_) return ReadFile(args_file_);
    std::string lines;
    for (const FakeRunner::Launched& launch : played_->launches()) {
      if (ArgumentAfter(launch.arguments, "-mxs:").empty()) continue;
      lines.clear();
      for (const std::string& argument : launch.arguments) lines += argument + "\n";
    }
    return lines;
  }

  // An estimation whose main window is closed after `after` is answered with
  // Return (No), then Yes at the next close. Its transcript; the run must end in minutes
  // and leave nothing behind.
  std::string QuitOnTheSecondClose(const std::string& vum, const std::string& after,
                                   Ratios ratios = {}) {
    const auto start = std::chrono::steady_clock::now();
    const std::string transcript =
        Estimate(Answers(vum) + "close main after " + after +
                     "\nreturn\nclose main after Do you want to stop\nyes\n",
                 ratios);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::minutes(5));
    const std::string question =
        "question \"TORVAmeter\" \"Do you want to stop the estimation and quit TORVAmeter?\"";
    EXPECT_TRUE(Contains(transcript, question + " -> no\n")) << transcript;
    EXPECT_TRUE(Contains(transcript, question + " -> yes\n")) << transcript;
    EXPECT_TRUE(quit_requested_);
    EXPECT_EQ(ending_, Outcome::Ending::kQuit);
    EXPECT_TRUE(transcript.ends_with("enable 7\n")) << transcript;
    EXPECT_FALSE(fs::exists(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.log"));
    EXPECT_FALSE(fs::exists(work_));
    return transcript;
  }

  std::string renderer_version_before_;
  int limit_mb_ = 20480;
};

TEST_F(EstimationTest, TheWorkedExampleFromArchiveToPrice) {
  // 2h 5m 0s left after 5 minutes rendered: a whole render of 7800 s, 624 s
  // on the farm at ratio 12.5.
  Install("Rendering...\nSL of 14.21. Elapsed 0h 5m 0s\nTime left: 2h 5m 0s\n");
  const std::string vum = PackPrepared();
  const std::string transcript = Estimate(Answers(vum));
  EXPECT_EQ(last_sl_, "20");
  const std::string preview = "\"TORVAmeter estimation running... (real size 800x600)\"";
  EXPECT_EQ(
      transcript,
      "file \"Choose a vum project to estimate: \" \"" + app_ +
          "/archive/\" "
          "\"vum archive (*.vum)|*.vum\" -> \"" +
          vum +
          "\"\n"
          "clear\n"
          // The boxes start with the size of the camera cameras.txt marks.
          "input \"Project X (width) resolution\" \"Enter the X resolution (400-32768 pix)\" "
          "\"800\" -> \"800\"\n"
          "input \"Project Y (height) resolution\" \"Enter the Y resolution (400-32768 pix)\" "
          "\"600\" -> \"600\"\n"
          "input \"Sampling Level\" \"Enter the SL to reach (SL >= 10)\" -> \"20\"\n"
          "disable 7\n"
          "log 0 \"TORVAmeter is uncompressing the project, please wait...\"\n"
          "log 1 \"\"\n"
          "log 2 \"<< CLICK ON THE 'ESTIMATE PROJECT' BUTTON TO GO TO PHASE 2 >>\"\n"
          "log 3 \"<<              AFTER AT LEAST ONE ESTIMATION IS DONE            >>\"\n"
          "log 4 \"\"\n"
          "log 5 \"Simulation is running for project \\\"Kitchen.mxs\\\", please wait...\"\n"
          "log 6 \"\"\n"
          "log 7 \"Time to reach SL = 20.00 (with 32 CPU nodes) below:\"\n"
          "log 8 \"\"\n"
          "window " +
          preview +
          " 413 310\n"
          "picture \"" +
          work_ +
          "/Kitchen.jpg\" 413 309 \"Current SL = 14.21. Elapsed 0h 5m 0s\"\n"
          "log 9 \"Est. at SL=14.21. Elapsed 0h 5m 0s -->  0h10m24s (TORVA) - 2h 10m 0s (your "
          "system)\"\n"
          "closewin " +
          preview +
          "\n"
          "log 10 \"\"\n"
          "log 11 \"Simulation finished!\"\n"
          "log 12 \"\"\n"
          "log 13 \"Results have been written in:\"\n"
          "log 14 \"   \\\"Kitchen_800x600_SL20_estimate_CPU.log\\\" ('/estimate/' subfolder).\"\n"
          "log 15 \"\"\n"
          "log 16 \"Estimated cost for this project (without merging):\"\n"
          "log 17 \"\"\n"
          "log 18 \"            18.69 EUR (With CPU-Low priority)\"\n"
          "log 19 \"            ...or less with volume discounts!\"\n"
          "log 20 \"\"\n"
          "log 21 \"The merging time will be added to the total cost\"\n"
          "log 22 \"(1 to 20 mininutes depending on MXI size).\"\n"
          "log 23 \"The predictions had not settled: the price may be far off either way.\"\n"
          "open \"" +
          estimate_ +
          "/Kitchen_800x600_SL20_estimate_CPU.png\"\n"
          "log 24 \"\"\n"
          "enable 7\n");
  EXPECT_EQ(Log("Kitchen_800x600_SL20_estimate_CPU.log"),
            "Project \"Kitchen.vum\" CPU estimation.\n\n"
            "Project resolution: 800x600\n"
            "Desired Sampling Level: 20.00\n"
            "Simulation is running for project \"Kitchen.mxs\", please wait...\n\n"
            "Time to reach SL = 20.00 (with 32 CPU nodes) below:\n\n"
            "Est. at SL=14.21. Elapsed 0h 5m 0s -->  0h10m24s (TORVA) - 2h 10m 0s (your system)\n"
            "CPU simulation finished!\n\n"
            "Estimated cost for this project (not including merging):\n"
            "            18.69 EUR (With CPU-Low priority)\n"
            "            ...or less with volume discounts!\n"
            "The predictions had not settled: the price may be far off either way.\n");
  EXPECT_FALSE(fs::exists(work_));
  EXPECT_EQ(RendererArguments(),
            "-mxs:" + work_ +
                "/Kitchen.mxs\n-res:800x600\n-t:9999999\n-s:20.00\n-th:0\n-rs:1\n"
                "-nomxi:off\n-noimage:off\n-mxi:" +
                work_ + "/Kitchen.mxi\n-o:" + work_ + "/Kitchen.jpg\n-hide\n-nogui\n-nowait\n");
  const std::string json = Log("Kitchen_800x600_SL20_estimate_CPU.json");
  EXPECT_TRUE(Contains(json,
                       "\"rendered_seconds\": 300, \"farm_time\": \"0h10m24s\", "
                       "\"farm_seconds\": 624}"))
      << json;
  EXPECT_TRUE(Contains(json, "\"mxi_bytes\": 3145728,")) << json;
  EXPECT_TRUE(Contains(json, "\"cost_eur\": 18.69,\n")) << json;
  EXPECT_TRUE(Contains(json, "\"stopped_by_user\": false,")) << json;
  EXPECT_EQ(ReadFile(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.png").substr(1, 3), "PNG");
}

TEST_F(EstimationTest, ThePriceComesFromTheLatestPredictionOnly) {
  Play(
      "SL of 12.00. Elapsed 0h 30m 0s\nTime left: 4h 0m 0s\n"
      "SL of 13.50. Elapsed 1h 0m 0s\nTime left: 1h 0m 0s\n");
  const std::string transcript = Estimate(Answers(PackPrepared()), Ratios{.cpu = 1});
  const std::string first =
      "Est. at SL=12.00. Elapsed 0h 30m 0s -->  4h30m0s (TORVA) - 4h 30m 0s (your system)";
  const std::string second =
      "Est. at SL=13.50. Elapsed 1h 0m 0s -->  2h0m0s (TORVA) - 2h 0m 0s (your system)";
  EXPECT_TRUE(Contains(transcript, "\"" + first + "\"")) << transcript;
  EXPECT_TRUE(Contains(transcript, "\"" + second + "\""));
  // Two farm hours at 107.82 EUR.
  EXPECT_TRUE(Contains(transcript, "\"            215.64 EUR (With CPU-Low priority)\""));
  EXPECT_TRUE(Contains(Log("Kitchen_800x600_SL20_estimate_CPU.log"),
                       "\n" + first + "\n" + second + "\nCPU simulation finished!\n"));
}

TEST_F(EstimationTest, QuittingDuringTheRenderLeavesNothingHalfWritten) {
  Install("SL of 12.00. Elapsed 0h 1m 0s\nTime left: 4h 0m 0s\n@sleep 600000\n");
  const std::string transcript =
      QuitOnTheSecondClose(PackPrepared(), "(your system)", Ratios{.cpu = 1});
  EXPECT_FALSE(Contains(transcript, "Simulation finished!"));
}

TEST_F(EstimationTest, ClosingThePreviewIsAStopRequest) {
  Install("SL of 12.00. Elapsed 0h 1m 0s\n@sleep 1500\nTime left: 4h 0m 0s\n@sleep 600000\n");
  const std::string answers = Answers(PackPrepared()) +
                              "close after Current SL = 12.00\n"
                              "close after (your system)\n";
  const std::string transcript = Estimate(answers, Ratios{.cpu = 1});
  // Before the first estimation, the hint; after it, the render stops and is priced.
  EXPECT_TRUE(Contains(transcript,
                       "\"At least one estimation is needed before you can stop the "
                       "simulation...\""))
      << transcript;
  EXPECT_TRUE(Contains(transcript, "\"            433.08 EUR (With CPU-Low priority)\""))
      << transcript;
  EXPECT_TRUE(Contains(Log("Kitchen_800x600_SL20_estimate_CPU.json"), "\"stopped_by_user\": true"));
  EXPECT_EQ(ending_, Outcome::Ending::kFinished);  // a render the user stopped is still priced
}

TEST_F(EstimationTest, AnEstimationWithoutAPredictionIsNotPriced) {
  // A renderer that prints nothing believable, then stays silent.
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 99999999h 0m 0s\n@sleep 600000\n");
  options_.silence_limit_ms = 1500;
  // A re-run that fails leaves the earlier run's log, record and chart.
  const std::string stem = "Kitchen_800x600_SL20_estimate_CPU";
  for (const char* extension : {".log", ".json", ".png"})
    WriteFile(estimate_ + "/" + stem + extension, std::string("earlier ") + extension);
  const std::string transcript = Estimate(Answers(PackPrepared()), Ratios{.cpu = 1});
  const std::string why =
      "Maxwell Render gave no estimation of the time left, so the project could not be priced.";
  EXPECT_TRUE(Contains(transcript, "message \"TORVAmeter error\" \"" + why + "\"")) << transcript;
  EXPECT_EQ(ending_, Outcome::Ending::kFailed);
  EXPECT_FALSE(Contains(transcript, " EUR (With"));
  EXPECT_FALSE(Contains(transcript, "Est. at SL"));
  EXPECT_FALSE(Contains(transcript, "Results have been written in:"));
  EXPECT_TRUE(Contains(transcript, SilenceLine(1500))) << transcript;
  for (const char* extension : {".log", ".json", ".png"})
    EXPECT_EQ(Log(stem + extension), std::string("earlier ") + extension);
  const std::string json = Log(stem + ".unfinished.json");
  EXPECT_TRUE(Contains(json, "\"outcome\": \"not priced\"")) << json;
  EXPECT_TRUE(Contains(json, "\"cost_eur\": null")) << json;
}

// The substitute's model at a speed factor: a render left to reach its SL is
// priced close to one stopped at the first estimate, and the record holds
// the render's real length.
TEST_F(EstimationTest, ThePriceDoesNotFallWhenTheRenderEndsByItself) {
  Install("", "--speed 100 --seed 5");
  const std::string sizes = "input 800\ninput 600\ninput 16\n";
  const std::string stopped =
      Estimate(Answers(PackPrepared(), sizes + "press 7 after (your system)\n"), Ratios{.cpu = 2});
  const std::string stopped_json = Log("Kitchen_800x600_SL16_estimate_CPU.json");
  const std::string finished = Estimate(Answers(PackPrepared(), sizes), Ratios{.cpu = 2});
  const std::string finished_json = Log("Kitchen_800x600_SL16_estimate_CPU.json");
  auto cost = [](const std::string& json) {
    const std::size_t at = json.find("\"cost_eur\": ");
    return at == std::string::npos ? -1.0 : std::stod(json.substr(at + 12));
  };
  ASSERT_GT(cost(stopped_json), 0) << stopped;
  ASSERT_GT(cost(finished_json), 0) << finished;
  EXPECT_NEAR(cost(finished_json) / cost(stopped_json), 1.0, 0.25) << stopped_json << finished_json;
  const std::size_t at = finished_json.find("\"render_seconds\": ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(std::stod(finished_json.substr(at + 18)), 0.0) << finished_json;
  EXPECT_NE(finished_json.find("\"settling\": {"), std::string::npos) << finished_json;
}

TEST_F(EstimationTest, AGpuEstimationUsesTheGpuFiguresAndCommandLine) {
  Play("SL of 15.00. Elapsed 0h 0m 0s\nTime left: 1h 0m 0s\n", true);
  const std::string vum = PackPrepared();
  const std::string transcript =
      Estimate("yes\n" + Answers(vum), Ratios{.cpu = 0, .delta = 0, .gpu = 2, .gpu_delta = 1.5f});
  EXPECT_TRUE(transcript.starts_with(
      "question \"Estimation type\" \"Is this scene designed for GPU rendering?\" -> yes\n"));
  EXPECT_TRUE(Contains(transcript, "\"Time to reach SL = 20.00 (with 14 GPU nodes) below:\""));
  EXPECT_TRUE(Contains(
      transcript,
      "\"Est. at SL=15.00. Elapsed 0h 0m 0s -->  0h30m0s (TORVA) - 1h 0m 0s (your system)\""));
  // Half an hour at 14 nodes x 6 EUR.
  EXPECT_TRUE(Contains(transcript, "\"            42.00 EUR (With GPU-Low priority)\""));
  EXPECT_TRUE(Contains(RendererArguments(),
                       "\n-th:0\n-rs:2\n-nomxi:off\n-noimage:off\n-gpuall\n-multigpu:coop\n-mxi:"));
  const std::string log = Log("Kitchen_800x600_SL20_estimate_GPU.log");
  EXPECT_TRUE(log.starts_with("Project \"Kitchen.vum\" GPU estimation.\n"));
  EXPECT_TRUE(Contains(log, "\nGPU simulation finished!\n"));
}

TEST_F(EstimationTest, AGpuRendererAnsweredNoEstimatesOnTheCpu) {
  Play("SL of 15.00. Elapsed 0h 0m 0s\nTime left: 1h 0m 0s\n", true);
  const std::string transcript = Estimate("no\n" + Answers(PackPrepared()), Ratios{.gpu = 0});
  EXPECT_TRUE(Contains(
      transcript,
      "\"Est. at SL=15.00. Elapsed 0h 0m 0s -->  0h4m48s (TORVA) - 1h 0m 0s (your system)\""));
  EXPECT_TRUE(Contains(RendererArguments(), "\n-th:0\n-rs:1\n-nomxi:off\n-noimage:off\n-mxi:"));
  EXPECT_TRUE(fs::exists(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.log"));
}

TEST_F(EstimationTest, RefusedWithoutABenchmarkOrWithATooOldRenderer) {
  Install("", "--gpu");
  const std::string benchmark =
      "message \"TORVAmeter error\" \"Before doing an estimation, you must run the benchmark on "
      "your system!\\nClick on the 'Benchmark' button below to do so.\"\n";
  // A GPU benchmark whose DeltaSL came out as exactly 0 counts as not run.
  EXPECT_EQ(Estimate("yes\n", Ratios{.gpu = 3, .gpu_delta = 0}),
            "question \"Estimation type\" \"Is this scene designed for GPU rendering?\" -> yes\n" +
                benchmark);
  EXPECT_EQ(Estimate("no\n", Ratios{.cpu = 0, .gpu = 3, .gpu_delta = 1}),
            "question \"Estimation type\" \"Is this scene designed for GPU rendering?\" -> no\n" +
                benchmark);

  ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, "--version 2.6.9.0"));
  EXPECT_EQ(Estimate(""),
            "message \"TORVAmeter error\" \"Your Maxwell Render version is 2.6.9.0.\\nTORVAmeter "
            "needs at least Maxwell Render 2.0.2.0 to run the estimator.\"\n");
  EXPECT_FALSE(fs::exists(work_));
}

TEST_F(EstimationTest, SizesAndLevelAreAskedAgainUntilValid) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 0m 25s\n");
  const std::string transcript =
      Estimate(Answers(PackPrepared(),
                       "input 399\ninput 32769\ninput  1920px\ninput abc\n"
                       "input 1080\ninput 51\ninput 9.49\ninput 9.6\n"));
  EXPECT_TRUE(Contains(transcript, "-> \"9.6\"\ndisable 7\n"));
  EXPECT_TRUE(Contains(transcript, "\"Time to reach SL = 10.00 (with 32 CPU nodes) below:\""));
  EXPECT_TRUE(Contains(
      transcript, "window \"TORVAmeter estimation running... (real size 1920x1080)\" 413 232\n"));
  EXPECT_TRUE(Contains(
      transcript,
      "\"Est. at SL=11.00. Elapsed 0h 0m 0s -->  0h0m2s (TORVA) - 0h 0m 25s (your system)\""));
  EXPECT_TRUE(Contains(RendererArguments(), "\n-res:1920x1080\n-t:9999999\n-s:10.00\n"));
  EXPECT_TRUE(
      Log("Kitchen_1920x1080_SL9.6_estimate_CPU.log")
          .starts_with("Project \"Kitchen.vum\" CPU estimation.\n\nProject resolution: 1920x1080\n"
                       "Desired Sampling Level: 10.00\n"));
}

TEST_F(EstimationTest, CancellingAnyQuestionEndsTheRunAndSaysSo) {
  Install();
  const std::string vum = PackPrepared();
  EXPECT_EQ(Estimate("cancel\n"), "file \"Choose a vum project to estimate: \" \"" + app_ +
                                      "/archive/\" \"vum archive (*.vum)|*.vum\" -> cancel\n");
  last_sl_ = "14";  // the SL box starts with the latest SL
  for (const std::string& answers : {Answers(vum, "input \n"), Answers(vum, "input 800\ncancel\n"),
                                     Answers(vum, "input 800\ninput 600\ninput \n")}) {
    const std::string transcript = Estimate(answers);
    EXPECT_TRUE(Contains(transcript, "\nclear\n")) << transcript;
    EXPECT_FALSE(Contains(transcript, "disable")) << transcript;
    EXPECT_TRUE(transcript.ends_with("\nlog 0 \"The estimation was cancelled.\"\n")) << transcript;
    EXPECT_EQ(ending_, Outcome::Ending::kCancelled);
  }
  EXPECT_TRUE(Contains(Estimate(Answers(vum, "return\nreturn\ncancel\n")),
                       "\"Enter the SL to reach (SL >= 10)\" \"14\" -> cancel"));
  EXPECT_FALSE(fs::exists(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.log"));
}

TEST_F(EstimationTest, MultiCameraAndUnpreparedProjectsAreWarnedAbout) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  WriteFile(project_ + "/Loft.mxs", kScene);
  WriteFile(project_ + "/cameras.txt", "A;1\nB;0\nC;1\nD;0\nE;1\n");
  const std::string transcript = Estimate(Answers(Pack("Loft.vum")));
  EXPECT_TRUE(Contains(
      transcript,
      "log 0 \"TORVAmeter is uncompressing the project, please wait...\"\n"
      "message \"TORVAmeter warning\" \"This is a multi-camera project.\\nThe estimation will "
      "process THE ACTIVE CAMERA ONLY!\\nTo estimate the whole project, multiply by the number "
      "of cameras.\"\n"
      "message \"TORVAmeter warning\" \"This project has not been prepared by TORVAmeter. The "
      "estimation may or may not work.\"\n"
      "log 1 \"\"\n"));
  EXPECT_TRUE(Contains(
      transcript,
      "\"Est. at SL=11.00. Elapsed 0h 0m 0s -->  0h0m5s (TORVA) - 0h 1m 0s (your system)\""));

  // One active camera and the project log: no warning.
  const std::string prepared = Estimate(Answers(PackPrepared()));
  EXPECT_FALSE(Contains(prepared, "TORVAmeter warning")) << prepared;

  // A camera list of one 5 MB line is not read; the run goes on.
  WriteFile(project_ + "/cameras.txt", std::string(5 << 20, 'x') + ";1\n");
  const std::string too_large = Estimate(Answers(Pack("Loft.vum")));
  EXPECT_TRUE(Contains(too_large,
                       "message \"TORVAmeter warning\" \"cameras.txt is too large "
                       "(more than 4 MB). The estimation goes on without counting its "
                       "cameras.\"\n"))
      << too_large.substr(0, 2000);
  EXPECT_TRUE(Contains(too_large, "Simulation finished!"));
}

TEST_F(EstimationTest, AnArchiveWithoutALowerCaseSceneCannotBeUncompressed) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  const std::string failure =
      "log 0 \"TORVAmeter is uncompressing the project, please wait...\"\n"
      "message \"TORVAmeter error\" \"The project archive cannot be uncompressed!\"\n"
      "panel \"TORVAmeter is uncompressing the project, please wait...\"\n"
      "clear\n"
      "enable 7\n";
  WriteFile(project_ + "/notes.txt", "no scene here");
  EXPECT_TRUE(Estimate(Answers(Pack("Empty.vum"))).ends_with(failure));
  EXPECT_FALSE(fs::exists(work_));

  // A scene in capitals, which the preparation accepts, is estimated too.
  WriteFile(project_ + "/Upper.MXS", kScene);
  EXPECT_TRUE(Contains(Estimate(Answers(Pack("Upper.vum"))),
                       "\"Simulation is running for project \\\"Upper.MXS\\\", please wait...\""));
  EXPECT_FALSE(fs::exists(work_));
  fs::remove(project_ + "/Upper.MXS");

  // Only a plain file that begins as an archive is unpacked (a pipe would
  // keep 7za waiting for ever), and the message says what is wrong with it.
  const auto refused = [&](const std::string& vum, const std::string& why) {
    return Estimate(Answers(vum))
        .ends_with("message \"TORVAmeter error\" \"The project archive cannot be uncompressed!\\n" +
                   vum + why +
                   "\"\npanel \"TORVAmeter is uncompressing the project, please wait...\"\n"
                   "clear\nenable 7\n");
  };
  ASSERT_EQ(::mkfifo((app_ + "/archive/Pipe.vum").c_str(), 0600), 0);
  EXPECT_TRUE(refused(app_ + "/archive/Pipe.vum", " is not a plain file."));

  // A zip with a password cannot be unpacked: 7za's failure is not taken for
  // a missing MXI later.
  WriteFile(project_ + "/Kitchen.mxs", kScene);
  ASSERT_EQ(RunCommand("cd " + ShellQuote(project_) + " && 7za a -tzip -psecret " +
                       ShellQuote(app_ + "/archive/Secret.vum") + " . >/dev/null 2>&1 </dev/null")
                .status,
            0);
  EXPECT_TRUE(Estimate(Answers(app_ + "/archive/Secret.vum")).ends_with(failure));

  WriteFile(app_ + "/archive/Broken.vum", "not an archive at all");
  EXPECT_TRUE(refused(app_ + "/archive/Broken.vum", " is not a 7z or zip archive."));
  // Nothing was estimated, so no log stands in place of an earlier one.
  EXPECT_FALSE(fs::exists(estimate_ + "/Broken_800x600_SL20_estimate_CPU.log"));
  EXPECT_FALSE(fs::exists(estimate_ + "/Broken_800x600_SL20_estimate_CPU.log.new"));
}

TEST_F(EstimationTest, TheMxiSizeIsJudgedInWholeMiBAgainstTheLimit) {
  Install("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 1h 0m 0s\n");
  auto run_with_mxi = [&](std::uintmax_t bytes) {
    char size[64];
    std::snprintf(size, sizeof size, "%.20g", static_cast<double>(bytes) / kMiB);
    WriteFile(project_ + "/Kitchen.mxs",
              "SIM-MXS 1\ncamera Main;800x600 active\nmxi-size-mb " + std::string(size) + "\n");
    WriteFile(project_ + "/TORVAmeter_Maxwell.log", "");
    return Estimate(Answers(Pack()), Ratios{.cpu = 1});
  };
  const std::string at_limit = run_with_mxi(20480 * kMiB + kMiB - 1);
  EXPECT_TRUE(Contains(at_limit, "\"            107.82 EUR (With CPU-Low priority)\"")) << at_limit;

  const std::string too_big = run_with_mxi(20481 * kMiB);
  EXPECT_TRUE(
      Contains(too_big,
               "log 16 \"WARNING: the MXI size (20481.00 MB) is too big!\"\n"
               "log 17 \"The MXI size limit accepted by the TORVA is 20480 MB.\"\n"
               "log 18 \"The project will be rejected by the TORVA.\"\n"
               "log 19 \"Please reduce the X/Y resolution and/or the number of emitters.\"\n"
               "message \"TORVAmeter warning: MXI too big!\" \"The project MXI size (~ 20481 "
               "MB) exceeds the limit accepted by the TORVA (20480 MB).\"\n"))
      << too_big;
  EXPECT_FALSE(Contains(too_big, "EUR"));
  EXPECT_TRUE(
      Contains(Log("Kitchen_800x600_SL20_estimate_CPU.log"),
               "CPU simulation finished!\n\nWARNING: the MXI size (20481.00 MB) is too big!\n"
               "The MXI size limit accepted by the TORVA is 20480 MB.\n"
               "The project will be rejected by the TORVA.\n"
               "Please reduce the X/Y resolution and/or the number of emitters.\n"));

  // Without a verdict, this run's log goes beside the earlier one.
  const std::string too_small = run_with_mxi(kMiB - 1);
  EXPECT_TRUE(
      Contains(too_small,
               "log 13 \"This run's log has been written in:\"\n"
               "log 14 \"   \\\"Kitchen_800x600_SL20_estimate_CPU.failed.log\\\" ('/estimate/' "
               "subfolder).\"\n"
               "log 15 \"The earlier estimation's log, record and chart have been kept.\"\n"
               "log 16 \"\"\n"
               "log 17 \"ERROR: the MXI file could not be produced!\"\n"
               "log 18 \"Make sure the scene is compatible with your Maxwell version and has "
               "no error.\"\n"
               "message \"TORVAmeter error: MXI file not found!\" \"Make sure the scene is "
               "compatible with your Maxwell version and has no error.\"\n"))
      << too_small;
  EXPECT_TRUE(
      Log("Kitchen_800x600_SL20_estimate_CPU.failed.log")
          .ends_with("CPU simulation finished!\n\nERROR: the MXI file could not be produced!\n"
                     "Make sure the scene is compatible with your Maxwell version and has "
                     "no error.\n"));

  limit_mb_ = 2;  // the configuration's own limit
  EXPECT_TRUE(
      Contains(run_with_mxi(3 * kMiB), "(~ 3 MB) exceeds the limit accepted by the TORVA (2 MB)."));
}

TEST_F(EstimationTest, AStopBeforeTheFirstEstimateIsRefusedAndOneAfterItStopsTheRender) {
  // Lines ahead of the first estimate give the renderer time to write the
  // line after it (with its picture) before the stop comes.
  std::string filler;
  for (int i = 0; i < 30; ++i) filler += "Rendering...\n";
  Play(filler +
       "SL of 12.00. Elapsed 0h 0m 0s\nTime left: 1h 0m 0s\nSL of 12.50\n@sleep 60000\nTime "
       "left: 0h 1m 0s\n");
  const std::string transcript =
      Estimate(Answers(PackPrepared()) + "press 7 after CLICK ON THE\npress 7 after Est. at SL=\n");
  EXPECT_TRUE(
      Contains(transcript,
               "log 9 \"At least one estimation is needed before you can stop the simulation...\"\n"
               "log 10 \"The more estimations are done, the more reliable the test.\"\n"
               "log 11 \"\"\n"))
      << transcript;
  EXPECT_TRUE(Contains(transcript,
                       "log 12 \"Est. at SL=12.00. Elapsed 0h 0m 0s -->  0h4m48s (TORVA) - 1h 0m "
                       "0s (your system)\"\n"));
  EXPECT_FALSE(Contains(transcript, "0h 1m 0s (your system)"));
  // The lines still in the pipe were read: the preview showed SL 12.50.
  EXPECT_TRUE(Contains(transcript, "\"Current SL = 12.50\"\nclosewin"));
  EXPECT_TRUE(Contains(transcript, "\"            8.63 EUR (With CPU-Low priority)\""));
  EXPECT_TRUE(
      Contains(Log("Kitchen_800x600_SL20_estimate_CPU.json"), "\"stopped_by_user\": true,"));
}

TEST_F(EstimationTest, TheLogNameCannotLeaveTheEstimateFolder) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  fs::create_directories(app_ + "/x");
  Estimate(Answers(PackPrepared(), "input 800\ninput 600\ninput 20/../../x\n"));
  EXPECT_TRUE(fs::exists(estimate_ + "/Kitchen_800x600_SL20_.._.._x_estimate_CPU.log"));
  EXPECT_TRUE(fs::is_empty(app_ + "/x"));
  for (const auto& entry : fs::recursive_directory_iterator(temp_.path())) {
    EXPECT_FALSE(Contains(entry.path().filename().string(), "_estimate_CPU") &&
                 entry.path().parent_path() != estimate_)
        << entry.path();
  }
}

TEST_F(EstimationTest, LinksInAnArchiveCannotReachOutsideTheWorkFolder) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  // A renderer that opens its output files in place, following links...
  const std::string bin = maxwell_ + "/Maxwell.app/Contents/MacOS/";
  WriteExecutable(
      bin + "Maxwell",
      "#!/bin/sh\nfor a; do case \"$a\" in -mxi:*|-o:*) printf overwritten > \"${a#*:}\";; "
      "esac; done\nexec \"$(dirname \"$0\")/Maxwell.real\" \"$@\"\n");
  // ...and an archiver that restores links as they were stored (7za itself
  // re-roots absolute links and refuses climbing ones; older ones did not).
  const std::string real_7za = app_ + "/7za.real";
  fs::rename(app_ + "/7za", real_7za);
  WriteFile(outside_ + "/linked", "keep me too");
  WriteExecutable(app_ + "/7za",
                  "#!/bin/sh\nfor a; do case \"$a\" in -o*) out=\"${a#-o}\";; esac; done\n" +
                      ShellQuote(real_7za) +
                      " \"$@\"\nstatus=$?\n"
                      "[ -n \"$out\" ] || exit $status\n"
                      "ln -s " +
                      ShellQuote(outside_ + "/victim") +
                      " \"$out/Kitchen.mxi\"\n"
                      "ln -s " +
                      ShellQuote(outside_ + "/victim") +
                      " \"$out/Kitchen.jpg\"\n"
                      // the substitute renderer's temporary file
                      "ln -s " +
                      ShellQuote(outside_ + "/victim") +
                      " \"$out/.Kitchen.mxi.part\"\n"
                      "ln -s " +
                      ShellQuote(outside_) +
                      " \"$out/folder\"\n"
                      "ln " +
                      ShellQuote(outside_ + "/linked") +
                      " \"$out/TORVAmeter_Maxwell.log\"\n"
                      "exit $status\n");
  WriteFile(project_ + "/Kitchen.mxs", kScene);
  fs::create_symlink("../../outside/victim", project_ + "/cameras.txt");
  fs::create_symlink(outside_, project_ + "/stored folder link");
  const std::string transcript = Estimate(Answers(Pack()));
  EXPECT_TRUE(Contains(transcript, "\"            0.15 EUR (With CPU-Low priority)\""))
      << transcript;
  // The hard-linked project log was removed with the links: not prepared.
  EXPECT_TRUE(Contains(transcript, "This project has not been prepared by TORVAmeter."));
  EXPECT_TRUE(ReadFile(outside_ + "/victim") == "keep me");  // not an MXI
  EXPECT_EQ(ReadFile(outside_ + "/linked"), "keep me too");
  EXPECT_FALSE(fs::exists(work_));
}

TEST_F(EstimationTest, AnMxiThatCameWithTheArchiveIsNotTakenForTheRenderersOwn) {
  Install();
  WriteFile(project_ + "/Kitchen.mxs", "not a scene the renderer can read\n");
  WriteFile(project_ + "/TORVAmeter_Maxwell.log", "");
  WriteFile(project_ + "/Kitchen.mxi", std::string(2 * kMiB, 'x'));
  const std::string transcript = Estimate(Answers(Pack()));
  EXPECT_TRUE(Contains(transcript, "message \"TORVAmeter error\" \"Maxwell Render has crashed!"))
      << transcript;
  EXPECT_FALSE(Contains(transcript, "EUR"));
  EXPECT_TRUE(transcript.ends_with("enable 7\n"));
}

TEST_F(EstimationTest, LeftoversOfAnUnfinishedRunAreNotTakenForTheScene) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  ASSERT_EQ(MakeOwnFolder(work_), OwnFolder::kReady);
  WriteFile(work_ + "/Aaa.mxs", kScene);  // sorts before this project's scene
  WriteFile(work_ + "/TORVAmeter_Maxwell.log", "");
  WriteFile(project_ + "/Zed.mxs", kScene);
  const std::string transcript = Estimate(Answers(Pack("Project.vum")));
  EXPECT_TRUE(Contains(transcript, "Simulation is running for project \\\"Zed.mxs\\\""))
      << transcript;
  // The old project log does not count either.
  EXPECT_TRUE(Contains(transcript, "This project has not been prepared by TORVAmeter."));
  EXPECT_TRUE(RendererArguments().starts_with("-mxs:" + work_ + "/Zed.mxs\n"));
}

TEST_F(EstimationTest, SceneNamesWithBlanksAndQuotesAreRendered) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  WriteFile(project_ + "/studio shot.mxs", kScene);
  const std::string transcript = Estimate(Answers(Pack("Studio.vum")));
  EXPECT_TRUE(Contains(transcript, "picture \"" + work_ + "/studio shot.jpg\" 413 309"))
      << transcript;
  EXPECT_TRUE(Contains(transcript, "\"            0.15 EUR (With CPU-Low priority)\""));
  EXPECT_TRUE(Contains(RendererArguments(), "-mxs:" + work_ + "/studio shot.mxs\n-res:800x600\n"));
  EXPECT_TRUE(Contains(RendererArguments(),
                       "\n-mxi:" + work_ + "/studio shot.mxi\n-o:" + work_ + "/studio shot.jpg\n"));

  fs::remove_all(project_);
  WriteFile(project_ + "/say \"cheese\".mxs", kScene);
  // Each path reaches the renderer as one argument: no quoting to break.
  const std::string quoted = Estimate(Answers(Pack("Quoted.vum")));
  EXPECT_TRUE(Contains(RendererArguments(), "-mxs:" + work_ + "/say \"cheese\".mxs\n")) << quoted;
  EXPECT_TRUE(Contains(quoted, "\"            0.15 EUR (With CPU-Low priority)\"")) << quoted;
  EXPECT_FALSE(fs::exists(work_));
}

TEST_F(EstimationTest, AnArchiveNameCannotAddSwitchesTo7za) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  PackPrepared();
  // The path reaches 7za as one argument, quotes and all: it is simply unpacked.
  const std::string trick = app_ + "/archive/x\" -ounpacked \"y.vum";
  fs::copy_file(app_ + "/archive/Kitchen.vum", trick);
  const std::string transcript = Estimate(Answers(trick));
  EXPECT_TRUE(Contains(transcript, "Simulation is running for project")) << transcript;
  EXPECT_FALSE(fs::exists(app_ + "/unpacked"));
}

TEST_F(EstimationTest, TheArchiversFailuresAndAnArchiveTooBigForTheDiskStopTheRun) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  const std::string vum = PackPrepared();
  const std::string real = app_ + "/7za.real";
  fs::rename(app_ + "/7za", real);
  const std::string failure =
      "message \"TORVAmeter error\" \"The project archive cannot be uncompressed!\"\n";

  // The files come out, but 7za says it failed (a full disk, say).
  WriteExecutable(app_ + "/7za", "#!/bin/sh\n" + ShellQuote(real) +
                                     " \"$@\" >/dev/null 2>&1\n[ \"$1\" = e ] && exit 2\nexec " +
                                     ShellQuote(real) + " \"$@\"\n");
  std::string transcript = Estimate(Answers(vum));
  EXPECT_TRUE(Contains(transcript, failure)) << transcript;
  EXPECT_FALSE(Contains(transcript, "Simulation is running"));
  EXPECT_FALSE(fs::exists(work_));

  // A listing that claims more than any disk holds: nothing is unpacked.
  WriteExecutable(app_ + "/7za",
                  "#!/bin/sh\nif [ \"$1\" = l ]; then echo 'Path = bomb.bin'; "
                  "echo 'Size = 18000000000000000000'; exit 0; fi\n"
                  "touch " +
                      ShellQuote(temp_.path() + "/unpacked") + "\nexit 0\n");
  transcript = Estimate(Answers(vum));
  EXPECT_TRUE(Contains(transcript,
                       "message \"TORVAmeter error\" \"The project archive needs "
                       "17166137695313 MB once uncompressed, more than the "))
      << transcript;
  EXPECT_FALSE(fs::exists(temp_.path() + "/unpacked"));
  EXPECT_FALSE(fs::exists(work_));
}

TEST_F(EstimationTest, QuittingWhileUnpackingEndsTheArchiverAndLeavesNothing) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  const std::string vum = PackPrepared();
  const std::string real = app_ + "/7za.real";
  fs::rename(app_ + "/7za", real);
  // The whole archive takes long; its cameras.txt alone (a fifth argument) does not.
  WriteExecutable(app_ + "/7za", "#!/bin/sh\n[ \"$1\" = e ] && [ $# -eq 4 ] && sleep 600\nexec " +
                                     ShellQuote(real) + " \"$@\"\n");
  const std::string transcript = QuitOnTheSecondClose(vum, "uncompressing the project");
  EXPECT_FALSE(Contains(transcript, "message ")) << transcript;
  EXPECT_FALSE(Contains(transcript, "Simulation is running"));
}

TEST_F(EstimationTest, ARendererThatCannotBeLaunchedEndsWithTheMxiReport) {
  Install();
  renderer_version_before_ = "5.2.1.49";  // from the start-up check
  fs::remove(maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell");
  const std::string transcript = Estimate(Answers(PackPrepared()));
  EXPECT_TRUE(Contains(transcript, "log 10 \"Simulation finished!\"\n")) << transcript;
  EXPECT_TRUE(Contains(transcript, "message \"TORVAmeter error: MXI file not found!\""));
  EXPECT_FALSE(Contains(transcript, "Est. at"));
  EXPECT_TRUE(transcript.ends_with("log 17 \"\"\nenable 7\n")) << transcript;
  EXPECT_FALSE(fs::exists(work_));
  // A first estimation that failed keeps its log, where it says why.
  EXPECT_TRUE(Log("Kitchen_800x600_SL20_estimate_CPU.log")
                  .ends_with("ERROR: the MXI file could not be produced!\nMake sure the scene is "
                             "compatible with your Maxwell version and has no error.\n"));
}

TEST_F(EstimationTest, AnExtremeAspectIsFittedToTheScreen) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  const std::string transcript =
      Estimate(Answers(PackPrepared(), "input 32768\ninput 400\ninput 10\n"));
  // The scripted screen is 1280 x 1024: 52429 x 640 shrinks to 1280 x 16.
  EXPECT_TRUE(Contains(
      transcript, "window \"TORVAmeter estimation running... (real size 32768x400)\" 1280 16\n"))
      << transcript;
  EXPECT_TRUE(Contains(
      transcript,
      "picture \"" + work_ + "/Kitchen.jpg\" 1279 15 \"Current SL = 11.00. Elapsed 0h 0m 0s\"\n"));
}

// Renders that did not end well are not priced, and the earlier estimation's
// files stay together; a render stopped at its limit is priced, with a range
// that says it had not settled; a finished render is priced from the
// renderer's own time.
TEST_F(EstimationTest, OnlyARenderThatEndedWellIsPriced) {
  const std::string prediction = "SL of 11.00. Elapsed 0h 0m 3s\nTime left: 1h 0m 0s\n";
  std::string alternating;
  for (int i = 0; i < 20; ++i)
    alternating += "SL of 11.00. Elapsed 0h 0m " + std::to_string(i + 1) +
                   "s\nTime left: " + (i % 2 ? "0h 54m 0s" : "1h 6m 0s") + "\n@sleep 100\n";
  struct Case {
    std::string replay, expected;
    std::optional<double> seconds = std::nullopt, limit = std::nullopt;
  };
  const std::vector<Case> cases = {
      {prediction + prediction + prediction + "@signal SEGV\n",
       "message \"TORVAmeter error\" \"Maxwell Render has crashed!\\nIt was ended by signal 11"},
      {"SL of 2.00. Elapsed 0h 0m 3s\nERROR: out of memory\n@exit 0\n",
       "Maxwell Render ended by itself at SL 2.00, before reaching SL 20"},
      {"SL of 1.00. Elapsed 0h 0m 1s\n@sleep 600000\n",
       "Maxwell Render gave no estimation of the time left", 1.5},
      {alternating + "@sleep 600000\n", "The predictions had not settled", std::nullopt, 1.5},
      {"SL of 20.00. Target sampling level reached\nRender finished in 0h 2m 0s\n",
       "the price comes from the finished render (0h 2m 0s on your system"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Play(c.replay);
    WriteFile(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.log", "the earlier log\n");
    options_.stop_rule =
        c.seconds || c.limit ? EstimationStop(c.seconds, c.limit.value_or(300)) : nullptr;
    const std::string transcript = Estimate(Answers(PackPrepared()));
    EXPECT_TRUE(Contains(transcript, c.expected)) << transcript;
    const bool priced = Contains(transcript, " EUR (With CPU-Low priority)");
    EXPECT_EQ(priced, !Contains(transcript, "message \"TORVAmeter error\""));
    EXPECT_EQ(Log("Kitchen_800x600_SL20_estimate_CPU.log") == "the earlier log\n", !priced);
    EXPECT_EQ(fs::exists(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.failed.log"), !priced);
  }
}

// A log that cannot be written is said once, where the panel says where the
// results went, and the run goes on to its price.
TEST_F(EstimationTest, ALogThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
  Play("SL of 11.00. Elapsed 0h 0m 0s\nTime left: 0h 1m 0s\n");
  fs::create_directories(estimate_ + "/Kitchen_800x600_SL20_estimate_CPU.log.new");
  const std::string transcript = Estimate(Answers(PackPrepared()));
  EXPECT_TRUE(Contains(transcript, "log 13 \"The estimation log " + estimate_ +
                                       "/Kitchen_800x600_SL20_estimate_CPU.log cannot be "
                                       "written (File exists): the results are only in this "
                                       "window.\"\n"))
      << transcript;
  EXPECT_FALSE(Contains(transcript, "Results have been written in:"));
  EXPECT_FALSE(Contains(transcript, "message "));
  EXPECT_TRUE(Contains(transcript, " EUR (With CPU-Low priority)"));
}

}  // namespace
}  // namespace torva
