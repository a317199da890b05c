// A progress display redrawn with backspaces, read as lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renderer/process.h"

namespace torva {
namespace {

std::vector<std::string> AllLines(ExternalProcess& process) {
  std::vector<std::string> lines;
  while (process.Running()) {
    process.WaitForOutput(1000);
    if (process.OutputAvailable()) lines.push_back(process.ReadLine());
  }
  return lines;
}

TEST(ProgressLinesTest, RunsOfBackspacesEndLinesOnlyWhenAsked) {
  const std::vector<std::string> script = {
      "-c",
      "printf ' 5%% + a\\b\\b\\b\\b\\b\\b'; sleep 0.2; printf '\\b\\b 40%%\\b\\b\\b\\bdone\\n'"};
  ExternalProcess progress = ExternalProcess::Launch("/bin/sh", script, "/");
  progress.EndLinesAtBackspaces();
  EXPECT_EQ(AllLines(progress), (std::vector<std::string>{" 5% + a", " 40%", "done"}));

  ExternalProcess plain = ExternalProcess::Launch("/bin/sh", script, "/");
  const std::vector<std::string> lines = AllLines(plain);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].find(" 5% + a\b\b"), 0u);
}

}  // namespace
}  // namespace torva
