#include "renderer/command_lines.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/commands.h"

namespace torva {
namespace {

TEST(RendererGeneration, FirstCharacterOfTheVersion) {
  EXPECT_EQ(RendererGeneration("2.7.0"), '2');
  EXPECT_EQ(RendererGeneration("5.2.1.49"), '5');
  EXPECT_EQ(RendererGeneration("3.1.0"), '3');
  EXPECT_EQ(RendererGeneration("4.2.0.3"), '3');
  EXPECT_EQ(RendererGeneration("10.0.1"), '3');
  EXPECT_EQ(RendererGeneration(""), '3');
}

TEST(RendererPrograms, InsideTheInstallationFolder) {
  EXPECT_EQ(RendererExecutable("/Applications/Maxwell 5/"),
            "/Applications/Maxwell 5/Maxwell.app/Contents/MacOS/Maxwell");
  EXPECT_EQ(PymaxwellExecutable("/M/"), "/M/Pymaxwell.app/Contents/MacOS/Pymaxwell");
}

const std::string B = "/Applications/TORVAmeter_Maxwell/benchmark";

TEST(BenchmarkArguments, PhaseOne) {
  EXPECT_EQ(BenchmarkArguments(1, '2', RenderMode::kCpu, B),
            Words(" -mxs:" + B + "/Absolute.mxs -res:2304x3072 -t:9999999 -s:20 -th:0 -mxi:" + B +
                  "/Absolute.mxi -o:" + B + "/Absolute_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(BenchmarkArguments(1, '5', RenderMode::kCpu, B),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:9999999 -s:20 -th:0 -nomxi:off "
                  "-noimage:off -rs:1 -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(BenchmarkArguments(1, '5', RenderMode::kGpu, B),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:9999999 -s:20 -th:0 -nomxi:off "
                  "-noimage:off -rs:2 -gpuall -multigpu:coop -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(BenchmarkArguments(1, '3', RenderMode::kCpu, B),
            Words(" -mxs:" + B + "/TrainSSS.mxs -res:768x1024 -t:9999999 -s:20 -th:0 -mxi:" + B +
                  "/TrainSSS.mxi -o:" + B + "/TrainSSS_yoursystem_1mn.jpg -nogui -nowait"));
}

TEST(BenchmarkArguments, PhaseTwo) {
  EXPECT_EQ(BenchmarkArguments(2, '2', RenderMode::kCpu, B),
            Words(" -mxs:" + B + "/Absolute.mxs -res:768x1024 -t:1 -th:0 -mxi:" + B +
                  "/Absolute.mxi -o:" + B + "/Absolute_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(BenchmarkArguments(2, '5', RenderMode::kCpu, B),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:1 -th:0 -nomxi:off -noimage:off "
                  "-rs:1 -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(BenchmarkArguments(2, '5', RenderMode::kGpu, B),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:1 -th:0 -nomxi:off -noimage:off "
                  "-rs:2 -gpuall -multigpu:coop -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn_gpu.jpg -nogui -nowait"));
  EXPECT_EQ(BenchmarkArguments(2, '3', RenderMode::kCpu, B),
            Words(" -mxs:" + B + "/TrainSSS.mxs -res:768x1024 -t:1 -th:0 -mxi:" + B +
                  "/TrainSSS.mxi -o:" + B + "/TrainSSS_yoursystem_1mn.jpg -nogui -nowait"));
}

TEST(BenchmarkArguments, APathWithBlanksIsOneArgument) {
  const std::vector<std::string> arguments =
      BenchmarkArguments(1, '5', RenderMode::kCpu, "/My Apps/benchmark");
  EXPECT_EQ(arguments.front(), "-mxs:/My Apps/benchmark/Bottles_on_a_window.mxs");
  EXPECT_EQ(arguments[arguments.size() - 3], "-o:/My Apps/benchmark/Bottles_yoursystem_1mn.jpg");
}

TEST(BenchmarkArguments, GpuModeOnlyChangesRendererFive) {
  EXPECT_EQ(BenchmarkArguments(1, '3', RenderMode::kGpu, B),
            BenchmarkArguments(1, '3', RenderMode::kCpu, B));
  EXPECT_EQ(BenchmarkArguments(2, '2', RenderMode::kGpu, B),
            BenchmarkArguments(2, '2', RenderMode::kCpu, B));
}

}  // namespace
}  // namespace torva
