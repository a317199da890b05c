#include "estimate/estimation_names.h"

#include <gtest/gtest.h>

#include "renderer/process.h"

namespace torva {
namespace {

TEST(EstimateNames, ArchiveAndSceneBasesDropTheirExtensionsIgnoringCase) {
  EXPECT_EQ(ArchiveBase("/a/b.vum/Kitchen.vum"), "Kitchen");
  EXPECT_EQ(ArchiveBase("Scene.VUM"), "Scene");
  EXPECT_EQ(ArchiveBase("/x/a.Vum.b.vum"), "a.b");
  EXPECT_EQ(SceneBase("Loft.MXS.mxs"), "Loft");
  EXPECT_EQ(RemoveIgnoringCase("a.v.vumum", ".vum"), "a.vum");  // one pass, left to right
}

TEST(EstimateNames, LogNameKeepsOrdinaryAnswersAsTyped) {
  EXPECT_EQ(EstimateLogName("Kitchen", "1920x1080", "20", RenderMode::kCpu),
            "Kitchen_1920x1080_SL20_estimate_CPU.log");
  EXPECT_EQ(EstimateLogName("Kitchen", "800x600", "9.6", RenderMode::kGpu),
            "Kitchen_800x600_SL9.6_estimate_GPU.log");
  EXPECT_EQ(EstimateLogName("Küche", "800x600", "20 é", RenderMode::kCpu),
            "Küche_800x600_SL20 é_estimate_CPU.log");
}

TEST(EstimateNames, LogNameCannotLeaveTheEstimateFolder) {
  EXPECT_EQ(EstimateLogName("K", "800x600", "20/../../x", RenderMode::kCpu),
            "K_800x600_SL20_.._.._x_estimate_CPU.log");
  EXPECT_EQ(EstimateLogName("K", "800x600", std::string("20\n\t\x7f", 5), RenderMode::kCpu),
            "K_800x600_SL20____estimate_CPU.log");
  // Over-long answers are cut (on a character boundary) to keep one valid file name.
  std::string name = EstimateLogName(std::string(200, 'a'), "800x600",
                                     "20" + std::string(300, 'e') + "é", RenderMode::kCpu);
  EXPECT_LE(name.size(), 250u);
  EXPECT_EQ(name.substr(name.size() - 17), "_estimate_CPU.log");
  EXPECT_EQ(name.find('/'), std::string::npos);
}

using Args = std::vector<std::string>;

TEST(EstimateNames, RendererArgumentsForCpuAndGpu) {
  EXPECT_EQ(EstimationArguments(RenderMode::kCpu, "/A/workdir", "Kitchen.mxs", "Kitchen",
                                "1920x1080", 20),
            (Args{"-mxs:/A/workdir/Kitchen.mxs", "-res:1920x1080", "-t:9999999", "-s:20.00",
                  "-th:0", "-rs:1", "-nomxi:off", "-noimage:off", "-mxi:/A/workdir/Kitchen.mxi",
                  "-o:/A/workdir/Kitchen.jpg", "-hide", "-nogui", "-nowait"}));
  EXPECT_EQ(EstimationArguments(RenderMode::kGpu, "/A/workdir", "K.mxs", "K", "800x600", 50),
            (Args{"-mxs:/A/workdir/K.mxs", "-res:800x600", "-t:9999999", "-s:50.00", "-th:0",
                  "-rs:2", "-nomxi:off", "-noimage:off", "-gpuall", "-multigpu:coop",
                  "-mxi:/A/workdir/K.mxi", "-o:/A/workdir/K.jpg", "-hide", "-nogui", "-nowait"}));
}

TEST(EstimateNames, BlanksAndQuotesInAScenePathStayInOneArgument) {
  const Args args = EstimationArguments(RenderMode::kCpu, "/A B/workdir", "say \"my\" scene.mxs",
                                        "say \"my\" scene", "800x600", 20);
  ASSERT_EQ(args.size(), 13u);
  EXPECT_EQ(args[0], "-mxs:/A B/workdir/say \"my\" scene.mxs");
  EXPECT_EQ(args[8], "-mxi:/A B/workdir/say \"my\" scene.mxi");
  EXPECT_EQ(args[9], "-o:/A B/workdir/say \"my\" scene.jpg");
}

}  // namespace
}  // namespace torva
