// The windowed program started where there is no window system.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/temp_folder_test.h"

namespace torva {
namespace {

struct Outcome {
  int status = -1;
  std::string output;
};

Outcome RunSandbox(const std::string& environment, const std::string& app_dir) {
  const std::string command = "env " + environment + " " TM_BUILD_DIR
                              "/src/torvameter-sandbox --app-dir '" + app_dir + "' 2>&1";
  Outcome run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> chunk;
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
    run.output.append(chunk.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(NoDisplay, SaysSoOnOneLineAndFails) {
  if (std::filesystem::exists("/tmp/.X11-unix/X987"))
    GTEST_SKIP() << "a display :987 exists on this machine";
  TempFolder folder;
  const std::string app = folder.path() + "/app";
  const std::pair<const char*, const char*> cases[] = {
      {"-u DISPLAY", "cannot open the display: DISPLAY is not set\n"},
      {"DISPLAY=", "cannot open the display: DISPLAY is not set\n"},
      {"DISPLAY=:987", "cannot open the display \":987\"\n"},
  };
  for (const auto& [environment, line] : cases) {
    const Outcome run = RunSandbox(environment, app);
    EXPECT_EQ(run.status, 1) << environment;
    EXPECT_EQ(run.output, line) << environment;
    // Nothing was begun: not even the application folder.
    EXPECT_FALSE(std::filesystem::exists(app)) << environment;
  }
}

}  // namespace
}  // namespace torva
