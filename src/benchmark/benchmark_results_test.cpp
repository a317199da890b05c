#include "benchmark/benchmark_results.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "benchmark/farm_figures.h"
#include "testing/scripted_session.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

const char kCpuLog[] =
    "Mac, CPU: X - 4 threads\nMaxwell Render 4.2.0.3\nThe TORVA is 12.3 times faster (+/- "
    "10%) than this system (with CPU-Low priority, 32 nodes V4).\nDeltaSL = 3.50\n(SL=10 on "
    "this system <=> SL=13.50 (+/- 0.2) on the TORVA.\n";
const char kGpuLog[] =
    "Mac, CPU: X - 4 threads\nMaxwell Render 5.2.1.49\nThe TORVA is 2.0 times faster (+/- "
    "10%) than this system (with GPU-Low priority, 14 nodes RTX).\nDeltaSL = 1.25\n(SL=10 on "
    "this system <=> SL=11.25 (+/- 0.2) on the TORVA.\n";

class BenchmarkResultsTest : public ::testing::Test {
 protected:
  TempFolder folder_;

  struct Session {
    Session(const std::string& app_dir, const std::string& answers, const std::string& version,
            bool gpu)
        : scripted(answers), program(scripted.desktop(), app_dir) {
      fs::create_directories(program.paths.BenchDir);
      program.state.MaxwellDir = "/Maxwell/";
      program.state.RendererVersion = version;
      program.state.GpuCapable = gpu;
    }
    ScriptedSession scripted;
    Program program;
  };

  // The two steps of start-up, when the first lets it go on.
  static std::optional<RenderMode> AtStart(Program& program) {
    EXPECT_EQ(SetAsideLogsOfOtherRenderer(program).kind, Next::kGoOn);
    return LoadBenchmarksAtStart(program);
  }
};

TEST_F(BenchmarkResultsTest, LogsOfTheInstalledRendererAreLoadedWithoutAQuestion) {
  Session s(folder_.path(), "", "4.2.0.3", false);
  WriteFile(s.program.paths.BenchmarkLog, kCpuLog);
  WriteFile(s.program.paths.GpuBenchmarkLog, kGpuLog);  // not read: no GPU
  EXPECT_EQ(AtStart(s.program), std::nullopt);
  EXPECT_EQ(s.scripted.transcript(), "");
  EXPECT_FLOAT_EQ(s.program.state.FarmSpeedRatio, 12.3f);
  EXPECT_FLOAT_EQ(s.program.state.DeltaSL, 3.5f);
  EXPECT_EQ(s.program.state.GpuFarmSpeedRatio, 0);
  EXPECT_EQ(ReadFile(s.program.paths.BenchmarkLog), kCpuLog);
}

TEST_F(BenchmarkResultsTest, ALogOfAnotherRendererIsSetAsideAndTheBenchmarkOffered) {
  Session s(folder_.path(), "yes\nno\n", "4.2.1.0", false);
  WriteFile(s.program.paths.BenchmarkLog, kCpuLog);
  WriteFile(s.program.paths.cpu_log_backup, "an older backup");
  EXPECT_EQ(AtStart(s.program), std::nullopt);
  EXPECT_EQ(s.scripted.transcript(),
            "question \"Maxwell Render path\" \"Is Maxwell Render path still /Maxwell/?\" -> "
            "yes\n"
            "message \"TORVAmeter Benchmark\" \"This is a new version, you will have to "
            "relaunch the integrated benchmark.\"\n"
            "question \"TORVAmeter benchmark?\" \"Do you want to launch the TORVAmeter "
            "benchmark now?\\nRunning the benchmark is mandatory to run estimations.\\nYou can "
            "launch it at any time by clicking on the 'Benchmark' button.\" -> no\n");
  EXPECT_FALSE(fs::exists(s.program.paths.BenchmarkLog));
  EXPECT_EQ(ReadFile(s.program.paths.cpu_log_backup), kCpuLog);
  EXPECT_EQ(s.program.state.FarmSpeedRatio, 0);
}

TEST_F(BenchmarkResultsTest, BothLogsAreSetAsideCpuFirstAndANewFolderIsTaken) {
  Session s(folder_.path(), "no\nfile /Other/Maxwell/readme.txt\nyes\nno\nno\n", "5.2.1.49", true);
  WriteFile(s.program.paths.BenchmarkLog, kCpuLog);
  WriteFile(s.program.paths.GpuBenchmarkLog, "only one line\n");
  EXPECT_EQ(AtStart(s.program), std::nullopt);
  const std::string transcript = s.scripted.transcript();
  EXPECT_NE(transcript.find("file \"Please select any file in your Maxwell Render directory\" "
                            "\"\" \"*.*|*.*\" -> \"/Other/Maxwell/readme.txt\"\n"
                            "message \"TORVAmeter Benchmark\""),
            std::string::npos)
      << transcript;
  EXPECT_NE(transcript.find("question \"Maxwell Render path\" \"Is Maxwell Render path still "
                            "/Other/Maxwell/?\" -> yes\nmessage \"TORVAmeter GPU Benchmark\""),
            std::string::npos)
      << transcript;
  EXPECT_NE(transcript.find("question \"TORVAmeter GPU benchmark?\" \"Do you want to launch "
                            "the TORVAmeter GPU benchmark now?"),
            std::string::npos);
  EXPECT_EQ(s.program.state.MaxwellDir, "/Other/Maxwell/");
  EXPECT_EQ(s.program.state.LastDir, "/Other/Maxwell/");
  EXPECT_TRUE(fs::exists(s.program.paths.cpu_log_backup));
  EXPECT_TRUE(fs::exists(s.program.paths.gpu_log_backup));
}

TEST_F(BenchmarkResultsTest, NoFileChosenForTheRendererFolderEndsTheProgram) {
  Session s(folder_.path(), "no\ncancel\n", "5.2.1.49", false);
  WriteFile(s.program.paths.BenchmarkLog, kCpuLog);
  const Next next = SetAsideLogsOfOtherRenderer(s.program);
  EXPECT_EQ(next.kind, Next::kEndProgram);
  EXPECT_EQ(next.last_message, "No file selected, TORVAmeter will now quit");
  EXPECT_EQ(ReadFile(s.program.paths.BenchmarkLog), kCpuLog);
  // The message is the top's to show.
  EXPECT_EQ(s.scripted.transcript().find("message"), std::string::npos);

  // Once the CPU log ends the program, the GPU log is neither asked about nor moved.
  Session gpu(folder_.path() + "/gpu", "no\ncancel\n", "5.2.1.49", true);
  WriteFile(gpu.program.paths.BenchmarkLog, kCpuLog);
  WriteFile(gpu.program.paths.GpuBenchmarkLog, "only one line\n");
  EXPECT_EQ(SetAsideLogsOfOtherRenderer(gpu.program).kind, Next::kEndProgram);
  EXPECT_EQ(ReadFile(gpu.program.paths.GpuBenchmarkLog), "only one line\n");
  EXPECT_EQ(gpu.scripted.transcript().find("GPU"), std::string::npos);
}

TEST_F(BenchmarkResultsTest, YesToTheCpuOfferSkipsTheGpuLog) {
  Session s(folder_.path(), "yes\n", "5.2.1.49", true);
  WriteFile(s.program.paths.GpuBenchmarkLog, kGpuLog);
  EXPECT_EQ(AtStart(s.program), RenderMode::kCpu);
  EXPECT_EQ(s.program.state.BenchMode, RenderMode::kCpu);
  EXPECT_EQ(s.program.state.GpuFarmSpeedRatio, 0);

  Session gpu(folder_.path() + "/second", "no\nyes\n", "5.2.1.49", true);
  EXPECT_EQ(AtStart(gpu.program), RenderMode::kGpu);
  EXPECT_EQ(gpu.program.state.BenchMode, RenderMode::kGpu);
}

TEST_F(BenchmarkResultsTest, WithoutAWindowALogOfAnotherRendererIsOnlyWarnedAbout) {
  Session s(folder_.path(), "", "5.2.1.49", true);
  WriteFile(s.program.paths.BenchmarkLog, kCpuLog);
  WriteFile(s.program.paths.GpuBenchmarkLog, kGpuLog);
  LoadResultsOfThisRenderer(s.program);
  EXPECT_EQ(s.scripted.transcript(), "message \"TORVAmeter warning\" \"The benchmark log " +
                                         s.program.paths.BenchmarkLog +
                                         " was made with 4.2.0.3; run the benchmark again.\"\n");
  EXPECT_EQ(ResultsFor(s.program.state, RenderMode::kCpu).speed_ratio, 0);
  EXPECT_FLOAT_EQ(ResultsFor(s.program.state, RenderMode::kGpu).delta_sl, 1.25f);
  EXPECT_EQ(ReadFile(s.program.paths.BenchmarkLog), kCpuLog);
}

}  // namespace
}  // namespace torva
