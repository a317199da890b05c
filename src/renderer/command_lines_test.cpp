#include "renderer/command_lines.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/commands.h"

namespace torva {
namespace {

TEST(BenchmarkRowFor, TheRendererGeneration) {
  EXPECT_EQ(BenchmarkRowFor("2.7.0"), BenchmarkRow::kRenderer2);
  EXPECT_EQ(BenchmarkRowFor("5.2.1.49"), BenchmarkRow::kRenderer5);
  EXPECT_EQ(BenchmarkRowFor("3.1.0"), BenchmarkRow::kRenderers3And4);
  EXPECT_EQ(BenchmarkRowFor("4.2.0.3"), BenchmarkRow::kRenderers3And4);
  EXPECT_EQ(BenchmarkRowFor("10.0.1"), BenchmarkRow::kRenderer5);
  EXPECT_EQ(BenchmarkRowFor(""), BenchmarkRow::kRenderer2);
}

TEST(RendererPrograms, InsideTheInstallationFolder) {
  EXPECT_EQ(RendererExecutable("/Applications/Maxwell 5/"),
            "/Applications/Maxwell 5/Maxwell.app/Contents/MacOS/Maxwell");
  EXPECT_EQ(PymaxwellExecutable("/M/"), "/M/Pymaxwell.app/Contents/MacOS/Pymaxwell");
}

const std::string B = "/Applications/TORVAmeter_Maxwell/benchmark";

using enum BenchmarkPhase;
using enum BenchmarkRow;

std::vector<std::string> Arguments(BenchmarkPhase phase, BenchmarkRow row, RenderMode mode,
                                   const std::string& bench_dir = B) {
  return BenchmarkArguments(phase, BenchmarkCaseFor(row, mode), bench_dir);
}

TEST(BenchmarkArguments, PhaseOne) {
  EXPECT_EQ(Arguments(kPhase1, kRenderer2, RenderMode::kCpu),
            Words(" -mxs:" + B + "/Absolute.mxs -res:2304x3072 -t:9999999 -s:20 -th:0 -mxi:" + B +
                  "/Absolute.mxi -o:" + B + "/Absolute_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(Arguments(kPhase1, kRenderer5, RenderMode::kCpu),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:9999999 -s:20 -th:0 -nomxi:off "
                  "-noimage:off -rs:1 -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(Arguments(kPhase1, kRenderer5, RenderMode::kGpu),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:9999999 -s:20 -th:0 -nomxi:off "
                  "-noimage:off -rs:2 -gpuall -multigpu:coop -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(Arguments(kPhase1, kRenderers3And4, RenderMode::kCpu),
            Words(" -mxs:" + B + "/TrainSSS.mxs -res:768x1024 -t:9999999 -s:20 -th:0 -mxi:" + B +
                  "/TrainSSS.mxi -o:" + B + "/TrainSSS_yoursystem_1mn.jpg -nogui -nowait"));
}

TEST(BenchmarkArguments, PhaseTwo) {
  EXPECT_EQ(Arguments(kPhase2, kRenderer2, RenderMode::kCpu),
            Words(" -mxs:" + B + "/Absolute.mxs -res:768x1024 -t:1 -th:0 -mxi:" + B +
                  "/Absolute.mxi -o:" + B + "/Absolute_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(Arguments(kPhase2, kRenderer5, RenderMode::kCpu),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:1 -th:0 -nomxi:off -noimage:off "
                  "-rs:1 -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn.jpg -nogui -nowait"));
  EXPECT_EQ(Arguments(kPhase2, kRenderer5, RenderMode::kGpu),
            Words(" -mxs:" + B +
                  "/Bottles_on_a_window.mxs -res:1536x2048 -t:1 -th:0 -nomxi:off -noimage:off "
                  "-rs:2 -gpuall -multigpu:coop -mxi:" +
                  B + "/Bottles.mxi -o:" + B + "/Bottles_yoursystem_1mn_gpu.jpg -nogui -nowait"));
  EXPECT_EQ(Arguments(kPhase2, kRenderers3And4, RenderMode::kCpu),
            Words(" -mxs:" + B + "/TrainSSS.mxs -res:768x1024 -t:1 -th:0 -mxi:" + B +
                  "/TrainSSS.mxi -o:" + B + "/TrainSSS_yoursystem_1mn.jpg -nogui -nowait"));
}

TEST(BenchmarkArguments, APathWithBlanksIsOneArgument) {
  const std::vector<std::string> arguments =
      Arguments(kPhase1, kRenderer5, RenderMode::kCpu, "/My Apps/benchmark");
  EXPECT_EQ(arguments.front(), "-mxs:/My Apps/benchmark/Bottles_on_a_window.mxs");
  EXPECT_EQ(arguments[arguments.size() - 3], "-o:/My Apps/benchmark/Bottles_yoursystem_1mn.jpg");
}

TEST(BenchmarkArguments, GpuModeOnlyChangesRendererFive) {
  EXPECT_EQ(Arguments(kPhase1, kRenderers3And4, RenderMode::kGpu),
            Arguments(kPhase1, kRenderers3And4, RenderMode::kCpu));
  EXPECT_EQ(Arguments(kPhase2, kRenderer2, RenderMode::kGpu),
            Arguments(kPhase2, kRenderer2, RenderMode::kCpu));
}

}  // namespace
}  // namespace torva
