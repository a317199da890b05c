// The commands without a window, run as a pipeline would run them: the
// sandbox program with no display, against the substitute renderer, from
// setup to an estimation, with their JSON results and files checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "text/json.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunCommand(ShellQuote(SourceDir() + "/tools/app-folder/install-app-folder") + " " +
                         ShellQuote(app_) + " >/dev/null 2>&1")
                  .status,
              0);
    ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, "--speed 60 --seed 7"));
    fs::copy(SourceDir() + "/tools/sim-maxwell/scenes/Kitchen", root_.path() + "/Kitchen",
             fs::copy_options::recursive);
  }

  // The program with `args` after its folder and a patient renderer probe;
  // no display, so that nothing of the window system can be reached.
  ProgramRun Torvameter(const std::string& args, const std::string& environment = "") {
    const std::string err = root_.path() + "/stderr.txt";
    const CommandOutcome outcome = RunCommand(
        "env -u DISPLAY -u WAYLAND_DISPLAY " + environment + " " +
        ShellQuote(BuildDir() + "/src/torvameter-sandbox") + " --app-dir " + ShellQuote(app_) +
        " --probe-limit " + std::to_string(kPatientProbeLimitMs / 1000) + " " + args + " 2>" +
        ShellQuote(err));
    return {outcome.status, outcome.output, ReadFile(err)};
  }

  // What a terminal shows of the program with `args` (script gives it one).
  std::string OnTerminal(const std::string& args) {
    const CommandOutcome screen = RunCommand(
        "script -qec " +
        ShellQuote("env -u DISPLAY " + ShellQuote(BuildDir() + "/src/torvameter-sandbox") +
                   " --app-dir " + ShellQuote(app_) + " " + args) +
        " /dev/null");
    EXPECT_EQ(screen.status, 0) << screen.output;
    return screen.output;
  }
  // A line starting with `start` is on the screen, and nothing redraws it.
  static void ExpectLastOnScreen(const std::string& screen, const std::string& start) {
    const std::size_t last = screen.rfind(start);
    ASSERT_NE(last, std::string::npos) << screen;
    EXPECT_EQ(screen.find("\r\033[K", last), std::string::npos) << screen;
  }

  // The one JSON object a --json run printed on its one line.
  static JsonValue Result(const ProgramRun& run) {
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    std::optional<JsonValue> value = ParseJson(run.out);
    EXPECT_TRUE(value && value->type == JsonValue::Type::kObject) << run.out;
    return value.value_or(JsonValue{});
  }
  static int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
      ++count;
    return count;
  }
  static std::string Text(const JsonValue& object, const std::string& key) {
    const JsonValue* value = object.Find(key);
    return value ? value->text : "(missing " + key + ")";
  }

  TempFolder root_;
  std::string app_ = root_.path() + "/TORVAmeter_Maxwell";
  const std::string maxwell_ = root_.path() + "/Maxwell";
  const std::string kitchen_ = root_.path() + "/Kitchen/Kitchen.mxs";
};

TEST_F(Headless, SetupBenchmarkPrepareEstimate) {
  // Nothing works before the settings are written.
  ProgramRun run = Torvameter("benchmark");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(
      run.err.find("no settings in " + app_ + ": run \"torvameter-sandbox setup --maxwell DIR\""),
      std::string::npos)
      << run.err;

  // A folder without a renderer writes nothing.
  run = Torvameter("setup --maxwell " + ShellQuote(root_.path() + "/Kitchen"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no Maxwell Render installation in"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.ini"));

  // Updates are looked for only when asked for.
  for (const char* updates : {"", " --updates no"}) {
    run = Torvameter("setup --maxwell " + ShellQuote(maxwell_) + updates);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").ends_with(";Check for updates?\nNo\n"))
        << updates;
  }
  run = Torvameter("setup --maxwell " + ShellQuote(maxwell_) + " --updates yes");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string config = ReadFile(app_ + "/TORVAmeter_Maxwell.ini");
  EXPECT_EQ(config,
            ";Maxwell Render path\n" + maxwell_ +
                "/\n;TORVA login (crypted - do not modify)\n"
                "\n;TORVA password (crypted - do not modify)\n\n;Last directory from previous "
                "session\n" +
                maxwell_ + "/\n;Check for updates?\nYes\n");

  // An estimation needs the benchmark first.
  run = Torvameter("estimate " + ShellQuote(app_ + "/archive/Kitchen.vum") +
                   " --size 1280x720 --sl 17");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no CPU benchmark of Maxwell Render 5.2.1.49 yet: run the benchmark "
                         "command first\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("button"), std::string::npos) << run.err;

  // The substitute notes each of its runs: the version is probed once.
  const std::string trace = root_.path() + "/renderer-runs.txt";
  run = Torvameter("benchmark --estimates 2 --json", "SIM_MAXWELL_TRACE=" + ShellQuote(trace));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Occurrences(ReadFile(trace), "start {\"argv\": [\"-nogui\", \"-nowait\"]"), 1);
  const JsonValue benchmark = Result(run);
  EXPECT_EQ(Text(benchmark, "outcome"), "finished");
  EXPECT_GE(benchmark.Find("phase1_estimates")->items.size(), 2u);
  const double ratio = benchmark.Find("speed_ratio")->Number();
  EXPECT_GT(ratio, 0);
  EXPECT_EQ(Text(benchmark, "log"), app_ + "/benchmark/TORVAmeter_Benchmark.log");
  EXPECT_EQ(Text(benchmark, "chart"), app_ + "/benchmark/TORVAmeter_Benchmark.png");
  // The record printed is the one beside the log, with the paths added.
  const std::optional<JsonValue> record = ParseJson(ReadFile(Text(benchmark, "record")));
  ASSERT_TRUE(record);
  EXPECT_EQ(benchmark.members.size(), record->members.size() + 3);
  EXPECT_EQ(JsonLine(*record->Find("phase1_estimates")),
            JsonLine(*benchmark.Find("phase1_estimates")));
  EXPECT_NE(ReadFile(Text(benchmark, "log")).find("DeltaSL = "), std::string::npos);
  EXPECT_TRUE(ReadFile(Text(benchmark, "chart")).starts_with("\x89PNG"));
  EXPECT_NE(run.err.find("Time left to reach SL=20 ->"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("CLICK"), std::string::npos) << run.err;  // nobody clicks here
  EXPECT_FALSE(fs::exists(app_ + "/benchmark/Bottles.mxi"));       // the renderer's, 200 MB

  // Two different diffuse.jpg meet in the Kitchen's project.
  run = Torvameter("prepare " + ShellQuote(kitchen_) + " --json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("give --allow-same-names to pack it anyway"), std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(app_ + "/archive/Kitchen.vum"));
  run = Torvameter("prepare " + ShellQuote(kitchen_) + " --allow-same-names --cameras 5");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--cameras: the scene has 3 cameras, not 5"), std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(app_ + "/archive/Kitchen.vum"));

  run = Torvameter("prepare " + ShellQuote(kitchen_) +
                   " --allow-same-names --cameras 1,3 --fast --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const JsonValue prepared = Result(run);
  const std::string archive = app_ + "/archive/Kitchen.vum";
  EXPECT_EQ(Text(prepared, "archive"), archive);
  EXPECT_EQ(prepared.Find("archive_bytes")->Number(), static_cast<double>(fs::file_size(archive)));
  EXPECT_EQ(Text(prepared, "compression"), "fastest");
  EXPECT_TRUE(ReadFile(archive).starts_with("PK"));  // zip, the fastest packing
  ASSERT_EQ(prepared.Find("cameras")->items.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(prepared.Find("cameras")->items[i].Find("render")->boolean, i != 1) << i;
  EXPECT_EQ(JsonLine(prepared.Find("cameras")->items[0]),
            "{\"name\": \"Overview\", \"width\": 1920, \"height\": 1080, \"lens_mm\": 24, "
            "\"active\": true, \"render\": true}");
  EXPECT_EQ(JsonLine(*prepared.Find("files")),
            "[\"Kitchen.mxs\", \"sky.hdr\", \"diffuse.jpg\", \"chrome.png\"]");

  run =
      Torvameter("estimate " + ShellQuote(archive) + " --size 1280x720 --sl 17 --seconds 2 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const JsonValue estimate = Result(run);
  const std::string stem = app_ + "/estimate/Kitchen_1280x720_SL17_estimate_CPU";
  EXPECT_EQ(Text(estimate, "outcome"), "priced");
  EXPECT_EQ(Text(estimate, "log"), stem + ".log");
  EXPECT_EQ(Text(estimate, "record"), stem + ".json");
  EXPECT_EQ(Text(estimate, "chart"), stem + ".png");
  EXPECT_FALSE(estimate.Find("stopped_by_user")->boolean);
  EXPECT_EQ(Text(estimate, "ended_by"), "time limit");
  EXPECT_GE(estimate.Find("predictions")->items.size(), 1u);
  EXPECT_GT(estimate.Find("cost_eur")->Number(), 0);
  // The ratio is the benchmark's, as its log keeps it (one decimal).
  EXPECT_NEAR(estimate.Find("speed_ratio")->Number(), ratio, 0.05);
  EXPECT_TRUE(ReadFile(stem + ".log").starts_with("Project \"Kitchen.vum\" CPU estimation.\n"));
  EXPECT_TRUE(ReadFile(stem + ".png").starts_with("\x89PNG"));
  EXPECT_NE(run.err.find("This is a multi-camera project."), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("CLICK"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(app_ + "/workdir"));

  // A renderer gone is said in the words of a command, not of the window.
  fs::remove(maxwell_ + "/mximerge");
  run = Torvameter("estimate " + ShellQuote(archive) + " --size 1280x720 --sl 17");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("estimate: The Maxwell Render executable cannot be found: the settings "
                         "have been set aside as " +
                         app_ + "/TORVAmeter_Maxwell.ini.bak;"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("will now quit"), std::string::npos) << run.err;
}

// The password comes through a pipe, kept out of the process list; the
// settings that hold it are the owner's only.
TEST_F(Headless, SetupReadsThePasswordFromStandardInput) {
  WriteFile(root_.path() + "/password", "s3cret\n");
  const ProgramRun run =
      Torvameter("setup --maxwell " + ShellQuote(maxwell_) + " --login ann --password - <" +
                 ShellQuote(root_.path() + "/password"));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string settings = app_ + "/TORVAmeter_Maxwell.ini";
  EXPECT_NE(ReadFile(settings).find("\ncwAzAGMAcgBlAHQAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA==\n"),
            std::string::npos);
  EXPECT_EQ(fs::status(settings).permissions() & fs::perms::all, fs::perms(0600));
}

// The password taken from the environment is stored, and no program started
// inherits it: here the renderer records what it got.
TEST_F(Headless, ThePasswordVariableIsPassedOnToNoProgram) {
  const std::string renderer = maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell";
  fs::rename(renderer, renderer + ".real");
  WriteFile(renderer, "#!/bin/sh\nenv >>" + ShellQuote(root_.path() + "/env") + "\nexec " +
                          ShellQuote(renderer + ".real") + " \"$@\"\n");
  fs::permissions(renderer, fs::perms::owner_all);
  const ProgramRun run = Torvameter("setup --maxwell " + ShellQuote(maxwell_) + " --login ann",
                                    "TORVAMETER_PASSWORD=s3cret");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find("\ncwAzAGMAcgBlAHQAAAAAAAAAAAAAA"),
            std::string::npos);
  const std::string inherited = ReadFile(root_.path() + "/env");
  EXPECT_NE(inherited.find("PATH="), std::string::npos);
  EXPECT_EQ(inherited.find("TORVAMETER_PASSWORD"), std::string::npos) << inherited;
}

TEST_F(Headless, TheUsersFilesStayAndAStoppedRunCleansUp) {
  ASSERT_EQ(Torvameter("setup --maxwell " + ShellQuote(maxwell_)).status, 0);
  ASSERT_EQ(Torvameter("benchmark --estimates 2").status, 0);
  // Folders of the user's where the program works are refused, not emptied.
  WriteFile(app_ + "/temp/notes.txt", "mine");
  ProgramRun run = Torvameter("prepare " + ShellQuote(kitchen_) + " --allow-same-names");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The folder " + app_ + "/temp holds files that TORVAmeter did not make"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("cancelled"), std::string::npos) << run.err;  // refused, not cancelled
  EXPECT_EQ(ReadFile(app_ + "/temp/notes.txt"), "mine");
  fs::remove_all(app_ + "/temp");

  // A killed packing's leftovers go with the next preparation, and a result
  // that cannot be written fails the run.
  WriteFile(app_ + "/archive/.Loft.vum.packing/Loft.vum", "half packed");
  run = Torvameter("prepare " + ShellQuote(kitchen_) + " --allow-same-names --json >/dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("the --json result could not be written"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(app_ + "/archive/.Loft.vum.packing"));
  const std::string estimate = "estimate " + ShellQuote(app_ + "/archive/Kitchen.vum");
  WriteFile(app_ + "/workdir/render.exr", "mine");
  run = Torvameter(estimate + " --size 800x600 --sl 14");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The folder " + app_ + "/workdir holds files"), std::string::npos);
  EXPECT_EQ(ReadFile(app_ + "/workdir/render.exr"), "mine");
  fs::remove_all(app_ + "/workdir");

  // A reader that goes away and a closed terminal stop the run as Ctrl-C
  // does: the renderer ends, the work folder goes, the earlier log stays.
  const std::string log = app_ + "/estimate/Kitchen_1280x720_SL20_estimate_CPU.log";
  ASSERT_EQ(Torvameter(estimate + " --size 1280x720 --sl 20 --seconds 1").status, 0);
  const std::string earlier = ReadFile(log);
  ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, "--speed 3 --seed 7"));
  const std::string program = "env -u DISPLAY " +
                              ShellQuote(BuildDir() + "/src/torvameter-sandbox") + " --app-dir " +
                              ShellQuote(app_) + " " + estimate + " --size 1280x720 --sl 20";
  // "[M]" keeps the pattern from matching this shell's own command line.
  const std::string orphans = "grep -qs -- " + ShellQuote(maxwell_ + "/[M]axwell.app") +
                              " /proc/[0-9]*/cmdline && echo orphan; ";
  CommandOutcome outcome = RunCommand(
      "bash -c " + ShellQuote(program + " 2>&1 | head -c 300 >/dev/null; s=${PIPESTATUS[0]}; " +
                              orphans + "echo $s"));
  EXPECT_EQ(outcome.output, "1\n");
  // So does a reader of the result that went away before the result came.
  outcome = RunCommand("bash -c " + ShellQuote("time -p (" + program +
                                               " --json 2>/dev/null | true; echo ${PIPESTATUS[0]})"
                                               " 2>&1; " +
                                               orphans));
  EXPECT_EQ(outcome.output.substr(0, 2), "1\n") << outcome.output;
  EXPECT_NE(outcome.output.find("real 0."), std::string::npos) << outcome.output;  // at once
  const std::string err = root_.path() + "/hup.txt";
  const std::string out = root_.path() + "/hup.json";
  outcome = RunCommand(
      "bash -c " +
      ShellQuote(program + " --json >" + ShellQuote(out) + " 2>" + ShellQuote(err) +
                 " & p=$!; until grep -q 'Est. at' " + ShellQuote(err) +
                 "; do sleep 0.1; done; kill -HUP $p; wait $p; s=$?; " + orphans + "echo $s"));
  EXPECT_EQ(outcome.output, "129\n") << ReadFile(err);
  // What was measured so far, saying how it ended, and nothing that contradicts it.
  const JsonValue stopped = Result({0, ReadFile(out), ""});
  EXPECT_EQ(Text(stopped, "outcome"), "stopped to quit");
  EXPECT_EQ(Text(stopped, "ended_by"), "quit");
  EXPECT_EQ(Text(stopped, "renderer_end"), "stopped");
  EXPECT_EQ(stopped.Find("cost_eur")->type, JsonValue::Type::kNull);
  EXPECT_TRUE(Text(stopped, "record").ends_with(".unfinished.json"));
  EXPECT_EQ(ReadFile(log), earlier);
  EXPECT_FALSE(fs::exists(app_ + "/workdir"));
}

// A machine faster than the farm's pool reaches a higher SL in its minute: a
// negative DeltaSL is a result, and its estimations run. A render that ends
// before any prediction is priced from its own time.
TEST_F(Headless, AFasterMachineFinishesItsBenchmarkAndAShortRenderIsPriced) {
  ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, "--speed 60 --seed 7 --cpu-power 20"));
  ASSERT_EQ(Torvameter("setup --maxwell " + ShellQuote(maxwell_)).status, 0);
  ProgramRun run = Torvameter("benchmark --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const JsonValue benchmark = Result(run);
  EXPECT_LT(benchmark.Find("delta_sl")->Number(), 0);
  // Its PHASE 1 reaches SL 20 before its few estimates can settle.
  EXPECT_EQ(Text(benchmark, "phase1_ended_by"), "render ended");
  EXPECT_EQ(Text(benchmark, "ratio_from"), "latest estimates (not settled)");
  EXPECT_NE(ReadFile(Text(benchmark, "log")).find("DeltaSL = -"), std::string::npos);

  // A quote in the scene's name goes through every script and command line.
  const std::string quoted = root_.path() + "/Kitchen/Kit\"chen.mxs";
  fs::rename(kitchen_, quoted);
  // On a terminal the summaries stay on the screen, last.
  ExpectLastOnScreen(OnTerminal("prepare " + ShellQuote(quoted) + " --allow-same-names"),
                     "Archive: " + app_ + "/archive/Kit\"chen.vum (");
  ExpectLastOnScreen(OnTerminal("benchmark --estimates 2"), "Speed ratio ");
  EXPECT_TRUE(fs::exists(quoted));
  run = Torvameter("estimate " + ShellQuote(app_ + "/archive/Kit\"chen.vum") +
                   " --size 400x400 --sl 10 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const JsonValue estimate = Result(run);
  EXPECT_EQ(Text(estimate, "price_from"), "finished render");
  EXPECT_EQ(Text(estimate, "ended_by"), "render ended");
  EXPECT_EQ(Text(estimate, "outcome"), "priced");
  EXPECT_NE(run.err.find("the price comes from the finished render"), std::string::npos);
  ExpectLastOnScreen(OnTerminal("estimate " + ShellQuote(app_ + "/archive/Kit\"chen.vum") +
                                " --size 400x400 --sl 10"),
                     "Estimated from the finished render: ");
}

// A full disk is named as the reason, with sizes that tell apart.
TEST_F(Headless, AFullDiskIsSaidToBeFull) {
  const std::string disk = root_.path() + "/disk";
  fs::create_directory(disk);
  if (RunCommand("mount -t tmpfs -o size=20m tmpfs " + ShellQuote(disk) + " 2>&1").status != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here";
  struct Unmount {
    std::string disk;
    ~Unmount() { RunCommand("umount -l " + ShellQuote(disk)); }
  } unmount{disk};
  ASSERT_EQ(Torvameter("setup --maxwell " + ShellQuote(maxwell_)).status, 0);
  ASSERT_EQ(Torvameter("prepare " + ShellQuote(kitchen_) + " --allow-same-names").status, 0);
  fs::copy(app_, disk + "/app", fs::copy_options::recursive);
  app_ = disk + "/app";
  const auto fill = [&](int free_kb) {
    const auto free = fs::space(disk).available / 1024;
    return RunCommand("dd if=/dev/zero of=" + ShellQuote(disk + "/fill") +
                      " bs=1024 count=" + std::to_string(free - free_kb) + " 2>/dev/null")
               .status == 0;
  };
  ASSERT_TRUE(fill(0));
  ProgramRun run = Torvameter("benchmark");
  EXPECT_NE(run.err.find("cannot be written: No space left on device"), std::string::npos)
      << run.err;
  fs::remove(disk + "/fill");
  WriteFile(app_ + "/benchmark/TORVAmeter_Benchmark.log",
            "Linux, CPU: x - 2 threads\nMaxwell Render 5.2.1.49\nThe TORVA is 8.0 times faster "
            "(+/- 10%) than this system.\nDeltaSL = 5.00\n(SL=10 on this system <=> SL=15.00\n");
  ASSERT_TRUE(fill(8));
  run = Torvameter("estimate " + ShellQuote(app_ + "/archive/Kitchen.vum") +
                   " --size 800x600 --sl 14");
  EXPECT_NE(run.err.find(" KB once uncompressed, more than the "), std::string::npos) << run.err;
}

TEST_F(Headless, WrongCommandLinesAndMissingInputsEndAtOnce) {
  ProgramRun run = Torvameter("estimate x.vum --size 10x10 --sl 20");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--size takes WxH"), std::string::npos) << run.err;
  run = Torvameter("frobnicate");
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.ini"));

  ASSERT_EQ(Torvameter("setup --maxwell " + ShellQuote(maxwell_)).status, 0);
  // Dependencies that are nowhere: the file requester has no answer.
  fs::copy(SourceDir() + "/tools/sim-maxwell/scenes/Loft", root_.path() + "/Loft",
           fs::copy_options::recursive);
  run = Torvameter("prepare " + ShellQuote(root_.path() + "/Loft/Loft.mxs"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("prepare: a file the scene needs is neither where the scene says"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(app_ + "/archive/Loft.vum"));
  EXPECT_FALSE(fs::exists(app_ + "/temp"));
  run = Torvameter("prepare " + ShellQuote(root_.path() + "/none.mxs"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("none.mxs: no such scene file"), std::string::npos) << run.err;
  // An archive that is no archive.
  WriteFile(root_.path() + "/bad.vum", "not an archive");
  WriteFile(app_ + "/benchmark/TORVAmeter_Benchmark.log",
            "Mac, CPU: x - 2 threads\nMaxwell Render 5.2.1.49\nThe TORVA is 8.0 times faster "
            "(+/- 10%) than this system (with CPU-Low priority, 32 nodes V4).\nDeltaSL = 5.00\n"
            "(SL=10 on this system <=> SL=15.00 (+/- 0.2) on the TORVA.\n");
  run = Torvameter("estimate " + ShellQuote(root_.path() + "/bad.vum") +
                   " --size 800x600 --sl 12 --json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("estimate: The project archive cannot be uncompressed! " + root_.path() +
                         "/bad.vum is not a 7z or zip archive."),
            std::string::npos)
      << run.err;
  run =
      Torvameter("estimate " + ShellQuote(root_.path() + "/none.vum") + " --size 800x600 --sl 12");
  EXPECT_NE(run.err.find("No such file: " + root_.path() + "/none.vum"), std::string::npos);
}

}  // namespace
}  // namespace torva
