#include "headless/headless_command.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace torva {
namespace {

using Args = std::vector<std::string>;

HeadlessCommand Parse(const std::string& word, const Args& args) {
  return ParseHeadlessCommand(*CommandNamed(word), args);
}

TEST(HeadlessCommand, EachCommandTakesItsArgumentsInBothForms) {
  const HeadlessCommand setup = Parse(
      "setup", {"--maxwell", "/opt/Maxwell/", "--login=ann", "--password", "p w", "--updates=yes"});
  EXPECT_EQ(setup.error, "");
  EXPECT_EQ(setup.kind, HeadlessKind::kSetup);
  EXPECT_EQ(setup.maxwell_dir, "/opt/Maxwell");
  EXPECT_EQ(setup.login, "ann");
  EXPECT_EQ(setup.password, "p w");
  EXPECT_TRUE(setup.check_updates);
  EXPECT_FALSE(Parse("setup", {"--maxwell", "/m"}).check_updates);
  EXPECT_EQ(Parse("setup", {"--maxwell=/m", "--login=a"}).password_from,
            HeadlessCommand::PasswordFrom::kEnvironment);

  const HeadlessCommand benchmark = Parse("benchmark", {"--gpu", "--estimates=5", "--json"});
  EXPECT_EQ(benchmark.error, "");
  EXPECT_EQ(benchmark.kind, HeadlessKind::kBenchmark);
  EXPECT_TRUE(benchmark.gpu && benchmark.json);
  EXPECT_EQ(benchmark.estimates, 5);
  EXPECT_EQ(Parse("benchmark", {}).estimates, std::nullopt);  // once settled

  const HeadlessCommand prepare =
      Parse("prepare", {"my scene.MXS", "--cameras", "3,1,3", "--fast", "--allow-same-names"});
  EXPECT_EQ(prepare.error, "");
  EXPECT_EQ(prepare.scene, std::filesystem::current_path().string() + "/my scene.MXS");
  EXPECT_EQ(prepare.cameras.kind, CameraPick::Kind::kListed);
  EXPECT_EQ(prepare.cameras.numbers, (std::vector<int>{3, 1}));
  EXPECT_TRUE(prepare.fast && prepare.allow_same_names && !prepare.json);
  EXPECT_EQ(Parse("prepare", {"/s.mxs"}).cameras.kind, CameraPick::Kind::kActive);
  EXPECT_EQ(Parse("prepare", {"/s.mxs", "--cameras=all"}).cameras.kind, CameraPick::Kind::kAll);

  const HeadlessCommand estimate = Parse(
      "estimate", {"--size", "1920X1080", "/a/Kitchen.vum", "--sl", "9.6", "--seconds", "2.5"});
  EXPECT_EQ(estimate.error, "");
  EXPECT_EQ(estimate.archive, "/a/Kitchen.vum");
  EXPECT_EQ(estimate.width, "1920");
  EXPECT_EQ(estimate.height, "1080");
  EXPECT_EQ(estimate.sl, "9.6");  // as typed: the log's name holds it
  EXPECT_EQ(estimate.seconds, 2.5);
  EXPECT_EQ(Parse("estimate", {"/a.vum", "--size", "400x32768", "--sl", "50"}).error, "");
}

TEST(HeadlessCommand, WrongArgumentsAreTold) {
  const std::tuple<std::string, Args, std::string> cases[] = {
      {"setup", {}, "setup needs --maxwell DIR"},
      {"setup", {"--maxwell", "/m", "--password-file", "f"}, "--login and --password go together"},
      {"setup",
       {"--maxwell=/m", "--login=a", "--password=-", "--password=p"},
       "give the password once"},
      {"setup", {"--maxwell", "/m", "--updates", "Yes"}, "--updates takes yes or no"},
      {"setup", {"--maxwell"}, "missing value after --maxwell"},
      {"setup", {"--maxwell="}, "empty value for --maxwell"},
      {"setup", {"--maxwell", "/m", "extra"}, "unexpected argument \"extra\""},
      {"benchmark", {"--estimates", "1"}, "--estimates takes a whole number of at least 2"},
      {"benchmark", {"--estimates", "3s"}, "--estimates takes a whole number of at least 2"},
      {"benchmark", {"--json=yes"}, "--json takes no value"},
      {"benchmark", {"--fast"}, "unknown option --fast for benchmark"},
      {"prepare", {}, "prepare needs the scene (SCENE.mxs)"},
      {"prepare", {"scene.vum"}, "\"scene.vum\" is not a Maxwell Render scene (.mxs)"},
      {"prepare", {"a.mxs", "b.mxs"}, "unexpected argument \"b.mxs\""},
      {"prepare",
       {"a.mxs", "--cameras", "0"},
       "--cameras takes all, active, or camera numbers from 1 such as 1,3"},
      {"prepare",
       {"a.mxs", "--cameras", "1,"},
       "--cameras takes all, active, or camera numbers from 1 such as 1,3"},
      {"prepare", {"a.mxs", "--gpu"}, "unknown option --gpu for prepare"},
      {"estimate",
       {"--size", "800x600", "--sl", "20"},
       "estimate needs the project archive (ARCHIVE.vum)"},
      {"estimate", {"a.vum", "--sl", "20"}, "estimate needs --size WxH"},
      {"estimate", {"a.vum", "--size", "800x600"}, "estimate needs --sl N"},
      {"estimate",
       {"a.vum", "--size", "399x600", "--sl", "20"},
       "--size takes WxH, each from 400 to 32768 pixels (for example 1920x1080)"},
      {"estimate",
       {"a.vum", "--size", "800x32769", "--sl", "20"},
       "--size takes WxH, each from 400 to 32768 pixels (for example 1920x1080)"},
      {"estimate",
       {"a.vum", "--size", "800", "--sl", "20"},
       "--size takes WxH, each from 400 to 32768 pixels (for example 1920x1080)"},
      {"estimate",
       {"a.vum", "--size", "800px x600", "--sl", "20"},
       "--size takes WxH, each from 400 to 32768 pixels (for example 1920x1080)"},
      {"estimate",
       {"a.vum", "--size", "800x600", "--sl", "51"},
       "--sl takes a sampling level from 10 to 50"},
      {"estimate",
       {"a.vum", "--size", "800x600", "--sl", "9.4"},
       "--sl takes a sampling level from 10 to 50"},
      {"estimate",
       {"a.vum", "--size", "800x600", "--sl", "20/x"},
       "--sl takes a sampling level from 10 to 50"},
      {"estimate",
       {"a.vum", "--size", "800x600", "--sl", "20", "--seconds", "0"},
       "--seconds takes a number of seconds above 0"},
      // The first error is the one told.
      {"estimate", {"--bogus", "--size", "1x1"}, "unknown option --bogus for estimate"},
  };
  for (const auto& [name, args, error] : cases) {
    EXPECT_EQ(Parse(name, args).error, error) << name << " " << args.size();
  }
}

}  // namespace
}  // namespace torva
