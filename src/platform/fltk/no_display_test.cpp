// The windowed program started where there is no window system.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/commands.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

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
    const CommandOutcome run =
        RunCommand(std::string("env ") + environment + " " +
                   ShellQuote(BuildDir() + "/src/torvameter-sandbox") + " --app-dir " +
                   ShellQuote(app) + " 2>&1");
    EXPECT_EQ(run.status, 1) << environment;
    EXPECT_EQ(run.output, line) << environment;
    // Nothing was begun: not even the application folder.
    EXPECT_FALSE(std::filesystem::exists(app)) << environment;
  }
}

}  // namespace
}  // namespace torva
