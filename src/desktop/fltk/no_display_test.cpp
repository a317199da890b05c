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
    const CommandOutcome run = RunCommand(std::string("env ") + environment + " " +
                                          ShellQuote(BuildDir() + "/src/torvameter-sandbox") +
                                          " --app-dir " + ShellQuote(app) + " 2>&1");
    EXPECT_EQ(run.status, 1) << environment;
    EXPECT_EQ(run.output, line) << environment;
    // Nothing was begun: not even the application folder.
    EXPECT_FALSE(std::filesystem::exists(app)) << environment;
  }
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

// --help, --version and a wrong command line are answered before the display
// is looked for, by the shipped program and the sandbox alike, and before the
// application folder is made.
TEST(NoDisplay, CommandLineIsAnsweredWithoutOne) {
  TempFolder folder;
  const std::string app = folder.path() + "/app";
  for (const std::string program : {"torvameter", "torvameter-sandbox"}) {
    const std::string run = "env -u DISPLAY " + ShellQuote(BuildDir() + "/src/" + program) +
                            " --app-dir " + ShellQuote(app) + " ";
    const CommandOutcome version = RunCommand(run + "--version 2>&1");
    EXPECT_EQ(version.status, 0) << program;
    EXPECT_EQ(version.output, "TORVAmeter 2.8\n") << program;

    const CommandOutcome help = RunCommand(run + "--help 2>/dev/null");
    EXPECT_EQ(help.status, 0) << program;
    EXPECT_TRUE(help.output.starts_with("usage: " + program + " [--app-dir DIR]")) << help.output;
    EXPECT_TRUE(help.Has("  --version         print the version and exit")) << help.output;

    // The message goes to standard error, nothing to standard output.
    const CommandOutcome wrong = RunCommand(run + "--bogus 2>/dev/null");
    EXPECT_EQ(wrong.status, 2) << program;
    EXPECT_EQ(wrong.output, "") << program;
    const CommandOutcome told = RunCommand(run + "--bogus 2>&1 >/dev/null");
    EXPECT_TRUE(told.Has(program + ": unknown option --bogus")) << told.output;
    EXPECT_TRUE(told.Has("Try '" + program + " --help' for more.")) << told.output;
    EXPECT_EQ(RunCommand(run + "bench 2>/dev/null").status, 2) << program;
    // A command's wrong arguments are told before anything is made.
    EXPECT_EQ(RunCommand(run + "benchmark --estimates 1 2>/dev/null").status, 2) << program;
  }
  // Only the sandbox takes the test options.
  const std::string options = " --app-dir " + ShellQuote(app) + " --probe-limit 5 --version";
  EXPECT_EQ(RunCommand(ShellQuote(BuildDir() + "/src/torvameter-sandbox") + options).status, 0);
  EXPECT_EQ(
      RunCommand(ShellQuote(BuildDir() + "/src/torvameter") + options + " 2>/dev/null").status, 2);
  EXPECT_FALSE(std::filesystem::exists(app));
}

}  // namespace
}  // namespace torva
