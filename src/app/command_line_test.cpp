#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "state/program.h"

namespace torva {
namespace {

using Args = std::vector<std::string>;

CommandLine Shipped(const Args& args) { return ParseCommandLine(args, OptionSet::kShipped); }
CommandLine Testing(const Args& args) { return ParseCommandLine(args, OptionSet::kTesting); }

TEST(CommandLine, NothingGivenRunsTheWindowOnTheDefaultFolder) {
  const CommandLine line = Shipped({});
  EXPECT_EQ(line.action, CommandLineAction::kRun);
  EXPECT_EQ(line.app_dir, "");
  EXPECT_EQ(line.update_host, "");
  EXPECT_EQ(line.probe_limit, "");
  EXPECT_EQ(line.error, "");
}

TEST(CommandLine, AppDirIsTakenAbsoluteInBothForms) {
  EXPECT_EQ(Shipped({"--app-dir", "/tmp/tm/"}).app_dir, "/tmp/tm");
  EXPECT_EQ(Shipped({"--app-dir=/tmp/tm"}).app_dir, "/tmp/tm");
  EXPECT_EQ(Shipped({"--app-dir", "/tmp/./a/../tm//"}).app_dir, "/tmp/tm");
  EXPECT_EQ(Shipped({"--app-dir", "/"}).app_dir, "/");
  // A folder with blanks and an "=" is one value.
  EXPECT_EQ(Shipped({"--app-dir", "/tmp/my folder=2"}).app_dir, "/tmp/my folder=2");
  // Relative to the working folder.
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(Shipped({"--app-dir", "rel/app"}).app_dir, here + "/rel/app");
  // The last one counts.
  const CommandLine twice = Shipped({"--app-dir", "/a", "--app-dir=/b"});
  EXPECT_EQ(twice.action, CommandLineAction::kRun);
  EXPECT_EQ(twice.app_dir, "/b");
}

TEST(CommandLine, HelpAndVersionNeedNothingElse) {
  EXPECT_EQ(Shipped({"--help"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(Shipped({"-h"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(Shipped({"--version"}).action, CommandLineAction::kVersion);
  EXPECT_EQ(Shipped({"--app-dir", "/x", "--version"}).action, CommandLineAction::kVersion);
  // Help wins over the version, whatever the order.
  EXPECT_EQ(Shipped({"--version", "--help"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(Shipped({"--help", "--version"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(VersionText(), "TORVAmeter " + Constants{}.ProgramVersion);
  EXPECT_EQ(VersionText(), "TORVAmeter 2.8");
}

TEST(CommandLine, WrongCommandLinesAreErrors) {
  const std::pair<Args, std::string> cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--bogus=1"}, "unknown option --bogus"},
      {{"-x"}, "unknown option -x"},
      {{"-"}, "unknown command \"-\""},
      {{"--"}, "unknown option --"},
      {{"set-up"}, "unknown command \"set-up\""},
      {{"--app-dir"}, "missing value after --app-dir"},
      {{"--app-dir="}, "empty value for --app-dir"},
      {{"--app-dir", ""}, "empty value for --app-dir"},
      {{"--version=2"}, "--version takes no value"},
      {{"--help=yes"}, "--help takes no value"},
      // The test programs' options are not the shipped program's.
      {{"--update-host", "localhost:1"}, "unknown option --update-host"},
      {{"--probe-limit", "600"}, "unknown option --probe-limit"},
      {{"--gadget-table"}, "unknown option --gadget-table"},
      // The first error is the one told; an error wins over --help.
      {{"--one", "--two"}, "unknown option --one"},
      {{"--help", "--nope"}, "unknown option --nope"},
  };
  for (const auto& [args, error] : cases) {
    const CommandLine line = Shipped(args);
    EXPECT_EQ(line.action, CommandLineAction::kError) << args.front();
    EXPECT_EQ(line.error, error) << args.front();
  }
  EXPECT_EQ(kUsageExitStatus, 2);
}

TEST(CommandLine, ACommandTakesTheWordsAfterIt) {
  const CommandLine line = Shipped({"--app-dir", "/tmp/a", "estimate", "x.vum", "--size", "800x600",
                                    "--app-dir=/tmp/b", "--json"});
  EXPECT_EQ(line.action, CommandLineAction::kCommand);
  EXPECT_EQ(line.command, HeadlessKind::kEstimate);
  EXPECT_EQ(line.command_args, (Args{"x.vum", "--size", "800x600", "--json"}));
  // The program's own options stand anywhere; the last one counts.
  EXPECT_EQ(line.app_dir, "/tmp/b");
  // A second command word is an argument of the first command.
  EXPECT_EQ(Shipped({"setup", "benchmark"}).command_args, Args{"benchmark"});
  EXPECT_EQ(Shipped({"benchmark", "--help"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(Shipped({"prepare", "--version"}).action, CommandLineAction::kVersion);
  EXPECT_EQ(Shipped({"estimate", "--app-dir"}).error, "missing value after --app-dir");
  EXPECT_EQ(Shipped({"Benchmark"}).error, "unknown command \"Benchmark\"");
  EXPECT_EQ(Testing({"benchmark", "--probe-limit", "600"}).probe_limit, "600");
}

TEST(CommandLine, TestingBuildTakesItsOwnOptions) {
  const CommandLine line =
      Testing({"--app-dir", "/tmp/app", "--update-host", "127.0.0.1:7000", "--probe-limit=600"});
  EXPECT_EQ(line.action, CommandLineAction::kRun);
  EXPECT_EQ(line.app_dir, "/tmp/app");
  EXPECT_EQ(line.update_host, "127.0.0.1:7000");
  EXPECT_EQ(line.probe_limit, "600");
  EXPECT_EQ(Testing({"--probe-limit"}).error, "missing value after --probe-limit");
  EXPECT_EQ(Testing({"--bogus"}).error, "unknown option --bogus");
  EXPECT_EQ(Testing({"--app-dir", "/x", "--gadget-table"}).action, CommandLineAction::kGadgetTable);
}

TEST(CommandLine, UsageTellsTheOptionsAndTheFolders) {
  const std::string shipped = UsageText(
      OptionSet::kShipped, "/home/ann/.local/share/TORVAmeter_Maxwell", "/usr/share/torvameter");
  EXPECT_TRUE(shipped.starts_with(UsageLines(OptionSet::kShipped)));
  EXPECT_TRUE(shipped.starts_with("usage: torvameter [--app-dir DIR]\n"));
  for (const char* command : {"] setup --maxwell DIR", "] benchmark [--gpu]", "] prepare SCENE.mxs",
                              "] estimate ARCHIVE.vum --size WxH --sl N"})
    EXPECT_NE(UsageLines(OptionSet::kShipped).find(command), std::string::npos) << command;
  for (const char* option : {"--app-dir DIR", "--help", "--version"})
    EXPECT_NE(shipped.find(option), std::string::npos) << option;
  EXPECT_EQ(shipped.find("--update-host"), std::string::npos);
  EXPECT_EQ(shipped.find("--probe-limit"), std::string::npos);
  EXPECT_NE(shipped.find("application folder  /home/ann/.local/share/TORVAmeter_Maxwell\n"),
            std::string::npos);
  EXPECT_NE(shipped.find("installed data      /usr/share/torvameter\n"), std::string::npos);
  EXPECT_EQ(shipped.back(), '\n');

  const std::string testing = UsageText(OptionSet::kTesting, "", "");
  EXPECT_TRUE(testing.starts_with("usage: torvameter-sandbox [--app-dir DIR]"));
  EXPECT_NE(testing.find("--update-host HOST[:PORT]"), std::string::npos);
  EXPECT_NE(testing.find("--probe-limit SECONDS"), std::string::npos);
  EXPECT_NE(testing.find("--gadget-table"), std::string::npos);
  EXPECT_NE(testing.find("(unknown: give --app-dir)"), std::string::npos);
  EXPECT_NE(testing.find("(none found)"), std::string::npos);
  // A terminal of 80 columns shows every line whole.
  for (const std::string& text : {shipped, testing}) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  }
}

}  // namespace
}  // namespace torva
