#include "renderer/detect.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/fake_renderer.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

class ProbeRendererTest : public ::testing::Test {
 protected:
  // A renderer that prints `banner` and notes how it was started.
  void InstallRenderer(const std::string& banner) {
    InstallFakeRenderer(maxwell_dir, "echo \"$*\" > \"" + maxwell_dir + "started.txt\"\npwd >> \"" +
                                         maxwell_dir + "started.txt\"\n" + PrintingBanner(banner));
  }
  std::string Started() { return ReadFile(maxwell_dir + "started.txt"); }

  TempFolder scratch;
  std::string maxwell_dir = scratch.path() + "/Maxwell 5/";
};

TEST_F(ProbeRendererTest, ReadsVersionAndGpuSupportOfRendererFive) {
  InstallRenderer("Maxwell Render console\nEngine version 5.2.1.49\nGPU INFO : device 0\nbye\n");
  const RendererProbe probe = ProbeRenderer(RealRunner(), maxwell_dir, "");
  EXPECT_TRUE(probe.merge_tool_present);
  EXPECT_TRUE(probe.version_found);
  EXPECT_EQ(probe.version, "5.2.1.49");
  EXPECT_TRUE(probe.gpu_capable);
  EXPECT_FALSE(probe.timed_out);
  EXPECT_EQ(Started(), "-nogui -nowait\n" + fs::canonical(maxwell_dir).string() + "\n");
}

TEST_F(ProbeRendererTest, GpuLinesCountOnlyWhileTheVersionBeginsWithFive) {
  InstallRenderer("Engine version 4.2.0.3\nGPU INFO : device 0\n");
  RendererProbe probe = ProbeRenderer(RealRunner(), maxwell_dir, "5.2.1.49");
  EXPECT_EQ(probe.version, "4.2.0.3");
  EXPECT_FALSE(probe.gpu_capable);

  InstallRenderer("GPU INFO : device 0\nEngine version 5.0.0\n");
  probe = ProbeRenderer(RealRunner(), maxwell_dir, "");
  EXPECT_EQ(probe.version, "5.0.0");
  EXPECT_FALSE(probe.gpu_capable);
  // Before the version line the version known so far decides.
  probe = ProbeRenderer(RealRunner(), maxwell_dir, "5.0.0");
  EXPECT_TRUE(probe.gpu_capable);
}

TEST_F(ProbeRendererTest, WithoutVersionLineTheKnownVersionStays) {
  InstallRenderer("Maxwell Render console\nERROR: no license\n");
  const RendererProbe probe = ProbeRenderer(RealRunner(), maxwell_dir, "3.1.0");
  EXPECT_FALSE(probe.version_found);
  EXPECT_EQ(probe.version, "3.1.0");
}

TEST_F(ProbeRendererTest, RendererThatCannotStartReadsNothing) {
  WriteFile(maxwell_dir + "mximerge", "merge tool");
  const RendererProbe probe = ProbeRenderer(RealRunner(), maxwell_dir, "5.2.1.49");
  EXPECT_TRUE(probe.merge_tool_present);
  EXPECT_FALSE(probe.version_found);
  EXPECT_EQ(probe.version, "5.2.1.49");
  EXPECT_FALSE(probe.gpu_capable);
}

TEST_F(ProbeRendererTest, RendererThatDoesNotEndIsEndedAtTheLimitWithWhatItPrinted) {
  // The shell waits in a child of its own, which holds the output open too.
  InstallFakeRenderer(maxwell_dir,
                      PrintingBanner("Engine version 5.1.0\nGPU INFO 0\n") + "\nsleep 600");
  const RendererProbe probe = ProbeRenderer(RealRunner(), maxwell_dir, "", 2000);
  EXPECT_TRUE(probe.timed_out);
  EXPECT_EQ(probe.version, "5.1.0");
  EXPECT_TRUE(probe.gpu_capable);
}

TEST_F(ProbeRendererTest, MergeToolCountsAsAFileOfAtLeastOneByteInEitherPlace) {
  InstallRenderer("Engine version 3.1.0\n");
  const std::string second = maxwell_dir + "mximerge.app/Contents/MacOS/mximerge";
  fs::remove(maxwell_dir + "mximerge");
  WriteFile(second, "merge tool");
  EXPECT_TRUE(MergeToolPresent(maxwell_dir));

  // An empty file and a folder do not count; then the renderer is not run.
  WriteFile(maxwell_dir + "mximerge", "");
  fs::remove(second);
  fs::create_directories(second);
  EXPECT_FALSE(MergeToolPresent(maxwell_dir));
  const RendererProbe probe = ProbeRenderer(RealRunner(), maxwell_dir, "");
  EXPECT_FALSE(probe.merge_tool_present);
  EXPECT_EQ(probe.version, "");
  EXPECT_FALSE(fs::exists(maxwell_dir + "started.txt"));
}

TEST(VersionIsOlder, ComparesPartByPartAsNumbers) {
  EXPECT_TRUE(VersionIsOlder("2.6.9.0", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("10.0.1", "2.7.0"));
  EXPECT_TRUE(VersionIsOlder("2.7", "2.7.0"));
  EXPECT_TRUE(VersionIsOlder("", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("2.7.0", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("2.7.0.1", "2.7.0"));
  EXPECT_FALSE(VersionIsOlder("3.1.0", "2.7.0"));
}

}  // namespace
}  // namespace torva
