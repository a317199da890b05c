// A user's whole road through the scripted program: the benchmark offered at
// the first start, a prepared sample scene, and the estimation of its archive,
// with the figures checked against the substitute renderer's model.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <string>

#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

// The numbers of every `"key": number` in a JSON text, in order.
std::vector<double> Numbers(const std::string& json, const std::string& key) {
  std::vector<double> found;
  const std::regex pattern("\"" + key + "\": (-?[0-9.eE+-]+)");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.push_back(std::stod((*it)[1].str()));
  }
  return found;
}

TEST(Journey, BenchmarkThenPrepareThenEstimate) {
  TempFolder root;
  const std::string app = root.path() + "/TORVAmeter_Maxwell";
  const std::string maxwell = root.path() + "/Maxwell";
  ASSERT_EQ(RunCommand(ShellQuote(SourceDir() + "/tools/app-folder/install-app-folder") + " " +
                       ShellQuote(app) + " >/dev/null 2>&1")
                .status,
            0);
  ASSERT_TRUE(MakeSubstituteInstallation(maxwell, "--speed 60 --seed 7"));

  const CommandOutcome first = RunScriptedProgram(
      app, "file " + maxwell +
               "/mximerge\nno\nno\nyes\npress 6 after (estimation 3)\nclose\nclose\nclose\n");
  ASSERT_EQ(first.status, 0) << first.output;
  const std::string benchmark_log = ReadFile(app + "/benchmark/TORVAmeter_Benchmark.log");
  ASSERT_NE(benchmark_log, "") << first.output;

  fs::copy(SourceDir() + "/tools/sim-maxwell/scenes/Kitchen", root.path() + "/Kitchen",
           fs::copy_options::recursive);
  const CommandOutcome prepare = RunScriptedProgram(
      app, "press 5\nfile " + root.path() + "/Kitchen/Kitchen.mxs\nyes\ntick 1 3\nyes\nclose\n");
  ASSERT_EQ(prepare.status, 0) << prepare.output;
  ASSERT_TRUE(fs::exists(app + "/archive/Kitchen.vum")) << prepare.output;

  const CommandOutcome estimate =
      RunScriptedProgram(app, "press 7\nfile " + app +
                                  "/archive/Kitchen.vum\ninput 1280\ninput 720\ninput 17\nclose\n");
  ASSERT_EQ(estimate.status, 0) << estimate.output;
  const std::string record = ReadFile(app + "/estimate/Kitchen_1280x720_SL17_estimate_CPU.json");
  ASSERT_NE(record, "") << estimate.output;

  // The ratio is the one the benchmark wrote.
  const std::vector<double> ratio = Numbers(record, "speed_ratio");
  ASSERT_EQ(ratio.size(), 1u);
  ASSERT_GT(ratio[0], 0);
  char ratio_text[32];
  std::snprintf(ratio_text, sizeof ratio_text, "%.1f", ratio[0]);
  EXPECT_NE(benchmark_log.find(ratio_text), std::string::npos) << benchmark_log << ratio_text;

  // The substitute takes tau * (1.5^17 - 1) seconds, tau = 0.368 s per
  // megapixel times the Kitchen's cost of 1.4: about 468 s in all. Its first
  // prediction comes early in the render, so it is close to that; each farm
  // time is the whole render predicted (rendered + left) divided by the ratio.
  const double model_total = 0.368 * (1280.0 * 720 / 1e6) * 1.4 * (std::pow(1.5, 17) - 1);
  const std::vector<double> left = Numbers(record, "time_left_seconds");
  const std::vector<double> rendered = Numbers(record, "rendered_seconds");
  const std::vector<double> farm = Numbers(record, "farm_seconds");
  ASSERT_GE(left.size(), 2u) << record;
  ASSERT_EQ(left.size(), farm.size());
  ASSERT_EQ(left.size(), rendered.size());
  EXPECT_GT(left.front(), 0.6 * model_total) << record;
  EXPECT_LT(left.front(), 1.1 * model_total) << record;
  for (std::size_t i = 0; i < left.size(); ++i) {
    EXPECT_NEAR(farm[i], (rendered[i] + left[i]) / ratio[0], 1.0) << i;
    EXPECT_GT(rendered[i] + left[i], 0.6 * model_total) << i;
    EXPECT_LT(rendered[i] + left[i], 1.4 * model_total) << i;
  }
  EXPECT_EQ(Numbers(record, "cost_eur").size(), 1u) << record;
  EXPECT_FALSE(fs::exists(app + "/workdir/Kitchen.mxs"));
}

}  // namespace
}  // namespace torva
