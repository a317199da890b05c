#include "benchmark/farm_figures.h"

#include <gtest/gtest.h>

#include "benchmark/benchmark_log.h"

namespace torva {
namespace {

TEST(FarmFiguresTest, TheVersionTextChoosesTheRow) {
  const Constants constants;
  const BenchmarkCase v2 = BenchmarkCaseFor(BenchmarkRowFor("2.7.0"), RenderMode::kCpu);
  const FarmFigures v2_farm = FarmFiguresFor(constants, "2.7.0", RenderMode::kCpu);
  EXPECT_EQ(v2.scene, "Absolute.mxs");
  EXPECT_EQ(SizeText(v2.phase1_size), "2304 x 3072");
  EXPECT_EQ(SizeText(v2.phase2_size), "768 x 1024");
  EXPECT_EQ(v2_farm.seconds, 873);
  EXPECT_EQ(v2_farm.sl, 19.26f);
  EXPECT_EQ(v2.farm_image, "Absolute_Torva_1mn.jpg");
  EXPECT_EQ(v2.system_image, "Absolute_yoursystem_1mn.jpg");

  // Renderers 3 and 4 share the scene but not the figures.
  const BenchmarkCase v3 = BenchmarkCaseFor(BenchmarkRowFor("3.9.9"), RenderMode::kCpu);
  const BenchmarkCase v4 = BenchmarkCaseFor(BenchmarkRowFor("4.0.0.0"), RenderMode::kCpu);
  const FarmFigures v3_farm = FarmFiguresFor(constants, "3.9.9", RenderMode::kCpu);
  const FarmFigures v4_farm = FarmFiguresFor(constants, "4.0.0.0", RenderMode::kCpu);
  EXPECT_EQ(v3.scene, "TrainSSS.mxs");
  EXPECT_EQ(v4.scene, "TrainSSS.mxs");
  EXPECT_EQ(SizeText(v3.phase1_size), "768 x 1024");
  EXPECT_EQ(v3.farm_image, "TrainSSS_Torva_1mn.jpg");
  EXPECT_EQ(v3_farm.seconds, 386);
  EXPECT_EQ(v3_farm.sl, 16.04f);
  EXPECT_EQ(v4_farm.seconds, 368);
  EXPECT_EQ(v4_farm.sl, 16.25f);
  EXPECT_EQ(FarmFiguresFor(constants, "10.0", RenderMode::kCpu).seconds, 481);  // renderer 5's
}

TEST(FarmFiguresTest, Renderer5HasACpuAndAGpuRow) {
  const Constants constants;
  const BenchmarkCase cpu = BenchmarkCaseFor(BenchmarkRow::kRenderer5, RenderMode::kCpu);
  const BenchmarkCase gpu = BenchmarkCaseFor(BenchmarkRow::kRenderer5, RenderMode::kGpu);
  const FarmFigures cpu_farm = FarmFiguresFor(constants, "5.2.1.49", RenderMode::kCpu);
  const FarmFigures gpu_farm = FarmFiguresFor(constants, "5.2.1.49", RenderMode::kGpu);
  EXPECT_EQ(cpu.scene, "Bottles_on_a_window.mxs");
  EXPECT_EQ(SizeText(cpu.phase2_size), "1536 x 2048");
  EXPECT_EQ(cpu_farm.seconds, 481);
  EXPECT_EQ(cpu_farm.sl, 15.4f);
  EXPECT_EQ(cpu.farm_image, "Bottles_Torva_1mn.jpg");
  EXPECT_EQ(cpu.system_image, "Bottles_yoursystem_1mn.jpg");
  EXPECT_EQ(gpu_farm.seconds, 218);
  EXPECT_EQ(gpu_farm.sl, 17.96f);
  EXPECT_EQ(gpu.farm_image, "Bottles_Torva_1mn_gpu.jpg");
  EXPECT_EQ(gpu.system_image, "Bottles_yoursystem_1mn_gpu.jpg");
  EXPECT_EQ(FarmPoolText(RenderMode::kGpu), "GPU-Low priority, 14 nodes RTX");
  EXPECT_EQ(BenchmarkTitle(RenderMode::kGpu), "TORVAmeter GPU Benchmark");
  EXPECT_EQ(BenchmarkTitle(RenderMode::kCpu), "TORVAmeter Benchmark");
}

TEST(FarmFiguresTest, TheMeanEstimateIsWholeSecondsRoundedTowardZero) {
  // 600, 601 and 602 s against the renderer 5 farm: mean 601, shown as 1.2.
  EXPECT_EQ(MeanSeconds(600 + 601 + 602, 3), 601);
  float ratio = SpeedRatio(601, 481);
  EXPECT_FLOAT_EQ(ratio, 601.0f / 481.0f);
  EXPECT_EQ(RatioLine(ratio, RenderMode::kCpu).substr(0, 17), "The TORVA is 1.2 ");
  EXPECT_EQ(MeanSeconds(600 + 601, 2), 600);
  EXPECT_FLOAT_EQ(SpeedRatio(MeanSeconds(436 * 3, 3), 218), 2.0f);
  // Sums past 32 bits stay exact.
  EXPECT_EQ(MeanSeconds(3LL * 2000000000, 3), 2000000000);
}

}  // namespace
}  // namespace torva
