// "Prepare project" run by the scripted program against the substitute
// installation and its sample scenes; archives are checked with the real 7za.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/system_name.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "text/utf8.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

struct ArchiveListing {
  std::string type;
  std::vector<std::string> paths;
};

ArchiveListing ListArchive(const std::string& archive) {
  CommandOutcome run = RunCommand("7za l -slt " + ShellQuote(archive) + " 2>&1");
  ArchiveListing listing;
  std::smatch m;
  for (std::size_t from = 0, end; (end = run.output.find('\n', from)) != std::string::npos;
       from = end + 1) {
    const std::string line = run.output.substr(from, end - from);
    if (line.rfind("Type = ", 0) == 0) listing.type = line.substr(7);
    if (line.rfind("Path = ", 0) == 0 && line.substr(7) != archive)
      listing.paths.push_back(line.substr(7));
  }
  std::sort(listing.paths.begin(), listing.paths.end());
  return listing;
}

std::string ExtractFromArchive(const std::string& archive, const std::string& name) {
  return RunCommand("7za e -so " + ShellQuote(archive) + " " + ShellQuote(name) + " 2>/dev/null")
      .output;
}

using Names = std::vector<std::string>;

// The panel got `text` as a line, at whatever position.
bool HasLogLine(const CommandOutcome& run, const std::string& quoted_text) {
  return std::regex_search(
      run.output,
      std::regex("\nlog \\d+ " +
                 std::regex_replace(quoted_text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                 "\n"));
}

class PrepareProjectTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string app_ = folder_.path() + "/TORVAmeter_Maxwell";
  std::string maxwell_ = folder_.path() + "/Maxwell";
  std::string scenes_ = folder_.path() + "/scenes";

  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Install()); }

  void Install(const std::string& renderer_options = "", const std::string& version = "5.2.1.49") {
    ASSERT_TRUE(MakeSubstituteInstallation(maxwell_, renderer_options + " --version " + version));
    ASSERT_EQ(RunCommand("TM_BUILD_DIR=" + ShellQuote(BuildDir()) + " " +
                         ShellQuote(SourceDir() + "/tools/app-folder/install-app-folder") + " " +
                         ShellQuote(app_) + " >/dev/null 2>&1")
                  .status,
              0);
    WriteFile(app_ + "/TORVAmeter_Maxwell.ini",
              ";Maxwell Render path\n" + maxwell_ +
                  "/\n;TORVA login (crypted - do not modify)\n\n;TORVA password (crypted - "
                  "do not modify)\n\n;Last directory from previous session\n" +
                  scenes_ + "/\n;Check for updates?\nNo\n");
    // A benchmark already run with this renderer: start-up asks nothing.
    WriteFile(app_ + "/benchmark/TORVAmeter_Benchmark.log",
              "Mac, CPU: Test CPU - 2 threads\nMaxwell Render " + version +
                  "\nThe TORVA is 12.3 times faster (+/- 10%) than this system (with "
                  "CPU-Low priority, 32 nodes V4).\nDeltaSL = 3.50\n(SL=10 on this system "
                  "<=> SL=13.50 (+/- 0.2) on the TORVA.\n");
  }

  // A copy of a sample scene's folder; returns the copy's path.
  // The three files the Loft scene lacks, put where the user finds them;
  // the answers that choose them when asked, in the order asked.
  std::string PutMissingLoftFiles() {
    std::string answers;
    for (const auto& [name, text] : {std::pair{"spot_light.ies", "light"},
                                     {"concrete.jpg", "concrete"},
                                     {"missing_normal.png", "normal"}}) {
      WriteFile(folder_.path() + "/found/" + name, text);
      answers += "file " + folder_.path() + "/found/" + name + "\n";
    }
    return answers;
  }

  std::string CopyScene(const std::string& sample, const std::string& as = "") {
    const std::string target = scenes_ + "/" + (as.empty() ? sample : as);
    fs::create_directories(target);
    fs::copy(SourceDir() + "/tools/sim-maxwell/scenes/" + sample, target,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return target;
  }

  CommandOutcome Prepare(const std::string& answers) {
    return RunScriptedProgram(app_, "press 5\n" + answers + "close\n");
  }

  std::string Archive(const std::string& scene_name) {
    return app_ + "/archive/" + scene_name + ".vum";
  }

  // Puts a shell script in the place of an installed program; the program
  // itself stays beside it as PROGRAM.real.
  void WrapProgram(const std::string& program, const std::string& script) {
    fs::rename(program, program + ".real");
    WriteExecutable(program, "#!/bin/sh\n" + script);
  }

  // What a finished preparation leaves behind, whatever it packed.
  void ExpectCleanedUp() {
    EXPECT_FALSE(fs::exists(app_ + "/temp"));
    EXPECT_FALSE(fs::exists(app_ + "/TORVAGather.ms"));
    EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.log"));
  }
};

// The warning about the Kitchen's two different "diffuse.jpg": it names
// both places and the one the project holds.
std::string SameNameQuestion(const std::string& folder) {
  // As the transcript quotes it.
  const std::string kitchen = std::regex_replace(folder, std::regex(R"(["\\])"), R"(\$&)");
  return "question \"TORVAmeter warning\" \"Files of the same name come from different "
         "folders and differ:\\n\\ndiffuse.jpg\\n   " +
         kitchen + "/textures/wood/diffuse.jpg\\n   " + kitchen +
         "/textures/tiles/diffuse.jpg (sent)\\n\\nThe project folder holds one file of each "
         "name, so only one of them will be sent to the farm and the scene may be rendered "
         "with the wrong file.\\nDo you want to prepare the project anyway?\" -> ";
}

// Three cameras, nothing ticked at first; same-name textures, packed anyway,
// and a Windows path that the renderer finds itself; maximum compression.
TEST_F(PrepareProjectTest, KitchenWithThreeCamerasPackedAsSevenZip) {
  const std::string kitchen = CopyScene("Kitchen");
  CommandOutcome run = Prepare("file " + kitchen + "/Kitchen.mxs\nyes\ntick\ntick 1 3\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("log 8 \"3 dependancies found. Project size (uncompressed): 0.00 "
                            "MB.\"\n" +
                            SameNameQuestion(kitchen) + "yes\nwindow "),
            std::string::npos)
      << run.output;

  EXPECT_TRUE(run.Has("file \"Choose the MXS scene to process\" \"" + scenes_ +
                      "/\" \"Maxwell Render scene (*.mxs)|*.mxs\" -> \"" + kitchen +
                      "/Kitchen.mxs\""));
  EXPECT_TRUE(run.Has("disable 5"));
  EXPECT_TRUE(std::regex_search(
      run.output, std::regex("\nlog 0 \"Date: \\d{4}-\\d\\d-\\d\\d - Hour: \\d\\d:\\d\\d:\\d\\d\"\n"
                             "log 1 \"TORVAmeter is gathering all files needed by "
                             "\\\\\"Kitchen.mxs\\\\\"...\"\nlog 2 \"\"\n")));
  for (const char* name : {"Kitchen.mxs", "diffuse.jpg", "chrome.png", "sky.hdr"})
    EXPECT_TRUE(HasLogLine(run, "\"" + std::string(name) + "  --> found... (0.00 MB)\""));
  EXPECT_TRUE(run.Has("log 8 \"3 dependancies found. Project size (uncompressed): 0.00 MB.\""));
  EXPECT_TRUE(run.Has("window \"Check cameras to render (3 found)\" 290 140"));
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"You must select at least one camera to render\""));
  EXPECT_TRUE(
      run.Has("question \"Compression level\" \"Maximum compression? (if No, maximum "
              "speed)\" -> yes"));
  EXPECT_TRUE(run.Has("log 9 \"All files gathered, TORVAmeter is compressing the project...\""));
  EXPECT_TRUE(run.Has("progress 60"));
  EXPECT_TRUE(run.Has("log 10 \"\""));
  EXPECT_TRUE(std::regex_search(
      run.output,
      std::regex("\nlog 11 \"The project has been successfully compressed in \\d+ seconds.\"\n"
                 "log 12 \"Compression has decreased the project size by -?\\d+\\.\\d\\d% "
                 "\\(0.00 MB\\).\"\nlog 13 \"\"\n")));
  EXPECT_TRUE(run.Has("log 14 \"Project prepared in " + app_ + "/archive.\""));
  EXPECT_TRUE(run.Has("open \"" + app_ + "/archive\""));
  EXPECT_TRUE(run.Has("log 16 \"Your project is now ready to render!\""));
  EXPECT_TRUE(run.Has("log 17 \"\""));
  EXPECT_TRUE(run.Has("enable 5"));

  const ArchiveListing listing = ListArchive(Archive("Kitchen"));
  EXPECT_EQ(listing.type, "7z");
  EXPECT_EQ(listing.paths,
            (Names{"Kitchen.mxs", "TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log",
                   "cameras.txt", "chrome.png", "diffuse.jpg", "sky.hdr"}));
  EXPECT_EQ(ExtractFromArchive(Archive("Kitchen"), "cameras.txt"),
            "Overview;1920x1080, 24mm, active;1\nSink close-up;1920x1080, 85mm;0\n"
            "Window;1080x1920, 35mm;1\n");
  // The later of the two same-name textures wins, as the renderer copies them.
  EXPECT_EQ(ExtractFromArchive(Archive("Kitchen"), "diffuse.jpg"),
            ReadFile(kitchen + "/textures/tiles/diffuse.jpg"));

  const std::string log = ExtractFromArchive(Archive("Kitchen"), "TORVAmeter_Maxwell.log");
  EXPECT_TRUE(std::regex_search(
      log, std::regex("^" + std::string(SystemName()) +
                      ", CPU: .* - \\d+ threads\n"
                      "The TORVA is 12.3 times faster \\(\\+/- 10%\\) than this system.\n"
                      "Maxwell Render 5.2.1.49\nTORVAmeter version: 2.8\n"
                      "Date: [-0-9]+ - Hour: [:0-9]+\n"
                      "TORVAmeter is gathering all files needed by Kitchen.mxs...\n\n")))
      << log;
  EXPECT_NE(log.find("\n\n3 dependancies found. Project size (uncompressed): 0.00 MB.\n"
                     "Camera: Overview (1920x1080, 24mm, active;1) detected\n"
                     "Camera: Sink close-up (1920x1080, 85mm;0) detected\n"
                     "Camera: Window (1080x1920, 35mm;1) detected\n"
                     "All files have been gathered, TORVAmeter is compressing the project...\n\n"
                     "The project has been successfully compressed in "),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(".\n\nThe project has been prepared in " + app_ +
                     "/archive.\n\nYour project is now ready to render!\n"),
            std::string::npos)
      << log;
  ExpectCleanedUp();
  EXPECT_FALSE(fs::exists(app_ + "/benchmark/GetCameras_tmp.py"));
}

// One camera: no window; maximum speed makes a zip under the ".vum" name.
// No benchmark yet: the project log says so and the archive holds one log.
TEST_F(PrepareProjectTest, OneCameraAndMaximumSpeedMakeAZipVum) {
  const std::string teapot = CopyScene("Teapot");
  fs::remove(app_ + "/benchmark/TORVAmeter_Benchmark.log");
  CommandOutcome run = RunScriptedProgram(
      app_, "no\npress 5\nfile " + teapot + "/Teapot.mxs\nno\nclose\n");  // no benchmark now
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find("window "), std::string::npos);
  EXPECT_TRUE(run.Has("log 5 \"0 dependancies found. Project size (uncompressed): 0.00 MB.\""));

  const ArchiveListing listing = ListArchive(Archive("Teapot"));
  EXPECT_EQ(listing.type, "zip");
  EXPECT_EQ(listing.paths, (Names{"TORVAmeter_Maxwell.log", "Teapot.mxs", "cameras.txt"}));
  EXPECT_EQ(ExtractFromArchive(Archive("Teapot"), "cameras.txt"),
            "Camera01;800x600, 35mm, active;1\n");
  const std::string log = ExtractFromArchive(Archive("Teapot"), "TORVAmeter_Maxwell.log");
  EXPECT_NE(log.find("\nThe benchmark has not been run on this system yet.\n"), std::string::npos);
  EXPECT_NE(log.find("\nCamera: Camera01 (800x600, 35mm, active;1) detected\n"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(app_ + "/archive"), {}), 1);
  EXPECT_FALSE(fs::exists(Archive("Teapot") + ".zip"));
  ExpectCleanedUp();
}

// Cancelling the scene dialog changes nothing; files not ending in "mxs"
// bring the dialog back without a word.
TEST_F(PrepareProjectTest, OnlySceneFilesAreTakenAndCancelChangesNothing) {
  const std::string teapot = CopyScene("Teapot");
  WriteFile(teapot + "/notes.txt", "x");
  CommandOutcome run = Prepare("file " + teapot + "/notes.txt\ncancel\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("-> \"" + teapot + "/notes.txt\"\nfile \"Choose the MXS scene"),
            std::string::npos);
  EXPECT_EQ(run.output.find("disable"), std::string::npos);
  EXPECT_EQ(run.output.find("clear"), std::string::npos);
  EXPECT_FALSE(fs::exists(app_ + "/temp"));
}

// Answered No (Return's answer too), the same-name warning gives up the
// preparation: nothing is packed, the earlier archive stays, the buttons come back.
TEST_F(PrepareProjectTest, SameNameFilesThatDifferCanStopThePreparation) {
  const std::string kitchen = CopyScene("Kitchen");
  ASSERT_EQ(Prepare("file " + kitchen + "/Kitchen.mxs\nyes\ntick 1\nno\n").status, 0);
  const std::string earlier = ReadFile(Archive("Kitchen"));
  CommandOutcome run = Prepare("file " + kitchen + "/Kitchen.mxs\nreturn\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find(SameNameQuestion(kitchen) +
                            "no\nlog 9 \"The preparation has been "
                            "cancelled, nothing has been packed.\"\nenable 5\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("window "), std::string::npos);
  EXPECT_EQ(ReadFile(Archive("Kitchen")), earlier);
  EXPECT_EQ(std::distance(fs::directory_iterator(app_ + "/archive"), {}), 1);
  ExpectCleanedUp();
}

// No warning when the files of one name are the same: one file recorded
// twice, two copies of one file, or a file found by searching that is the
// one recorded elsewhere. A third, different one is named with the others.
TEST_F(PrepareProjectTest, OnlyFilesThatDifferAreNamedInTheWarning) {
  const std::string kitchen = CopyScene("Kitchen");
  fs::copy_file(kitchen + "/textures/wood/diffuse.jpg", kitchen + "/textures/tiles/diffuse.jpg",
                fs::copy_options::overwrite_existing);
  WriteFile(kitchen + "/Kitchen.mxs",
            ReadFile(kitchen + "/Kitchen.mxs") +
                "dependency ./textures/wood/../wood/diffuse.jpg\n"
                "dependency C:\\Users\\artist\\diffuse.jpg\n"  // found below the scene
                "dependency maps/chrome.png\n");
  CommandOutcome same = Prepare("file " + kitchen + "/Kitchen.mxs\ntick 1\nyes\n");
  ASSERT_EQ(same.status, 0) << same.output;
  EXPECT_EQ(same.output.find("TORVAmeter warning"), std::string::npos);
  EXPECT_TRUE(fs::exists(Archive("Kitchen")));

  // A dependency may even share the scene's own name.
  WriteFile(kitchen + "/other/diffuse.jpg", "a third texture");
  WriteFile(kitchen + "/other/Kitchen.mxs", "SIM-MXS 1\n# an older kitchen\n");
  WriteFile(kitchen + "/Kitchen.mxs",
            ReadFile(kitchen + "/Kitchen.mxs") +
                "dependency other/diffuse.jpg\ndependency other/Kitchen.mxs\n");
  CommandOutcome third = Prepare("file " + kitchen + "/Kitchen.mxs\nyes\ntick 1\nyes\n");
  ASSERT_EQ(third.status, 0) << third.output;
  EXPECT_TRUE(third.Has(
      "question \"TORVAmeter warning\" \"Files of the same name come from different folders and "
      "differ:\\n\\nKitchen.mxs\\n   " +
      kitchen + "/Kitchen.mxs\\n   " + kitchen +
      "/other/Kitchen.mxs (sent)\\n\\ndiffuse.jpg\\n   " + kitchen +
      "/textures/wood/diffuse.jpg\\n   " + kitchen + "/textures/tiles/diffuse.jpg\\n   " + kitchen +
      "/other/diffuse.jpg (sent)\\n\\nThe project "
      "folder holds one file of each name, so only one of them will be sent to the farm and "
      "the scene may be rendered with the wrong file.\\nDo you want to prepare the project "
      "anyway?\" -> yes"))
      << third.output;
}

// Files the renderer cannot find are asked for; a file offered under another
// letter case brings the dialog back; the dialog then starts where the user
// found the last one.
TEST_F(PrepareProjectTest, MissingFilesAreLocatedByHand) {
  const std::string loft = CopyScene("Loft");
  const std::string found = folder_.path() + "/found";
  WriteFile(found + "/Spot_Light.ies", "wrong case");
  WriteFile(found + "/spot_light.ies", "light");
  WriteFile(found + "/more/concrete.jpg", "concrete");
  WriteFile(found + "/more/missing_normal.png", "normal");
  CommandOutcome run = Prepare("file " + loft +
                               "/Loft.mxs\n"
                               "file " +
                               found +
                               "/Spot_Light.ies\n"
                               "file " +
                               found +
                               "/spot_light.ies\n"
                               "file " +
                               found +
                               "/more/concrete.jpg\n"
                               "file " +
                               found +
                               "/more/missing_normal.png\n"
                               "tick 2\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("log 3 \"Not found: spot_light.ies\""));
  EXPECT_TRUE(run.Has("log 4 \"  in \""));
  EXPECT_TRUE(
      run.Has("file \"Missing file: \\\"spot_light.ies\\\" is missing, please find it\" \"" + loft +
              "/\" \"Missing file (*.ies)|*.ies\" -> \"" + found + "/Spot_Light.ies\""));
  EXPECT_TRUE(
      run.Has("file \"Missing file: \\\"spot_light.ies\\\" is missing, please find it\" \"" + loft +
              "/\" \"Missing file (*.ies)|*.ies\" -> \"" + found + "/spot_light.ies\""));
  EXPECT_TRUE(run.Has("log 5 \"Missing item has been found manually\""));
  EXPECT_TRUE(run.Has("log 6 \"\""));
  EXPECT_TRUE(run.Has("log 7 \"Not found: concrete.jpg\""));
  EXPECT_TRUE(run.Has("log 8 \"  in  /nonexistent/textures/\""));
  EXPECT_TRUE(run.Has("file \"Missing file: \\\"concrete.jpg\\\" is missing, please find it\" \"" +
                      found + "/\" \"Missing file (*.jpg)|*.jpg\" -> \"" + found +
                      "/more/concrete.jpg\""));
  EXPECT_TRUE(run.Has("log 11 \"Not found: missing_normal.png\""));
  EXPECT_TRUE(run.Has("log 12 \"  in  textures/\""));
  EXPECT_TRUE(
      run.Has("file \"Missing file: \\\"missing_normal.png\\\" is missing, please find "
              "it\" \"" +
              found + "/more/\" \"Missing file (*.png)|*.png\" -> \"" + found +
              "/more/missing_normal.png\""));

  const ArchiveListing listing = ListArchive(Archive("Loft"));
  EXPECT_EQ(listing.paths,
            (Names{"Loft.mxs", "TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "brick.png",
                   "cameras.txt", "concrete.jpg", "missing_normal.png", "spot_light.ies"}));
  EXPECT_EQ(ExtractFromArchive(Archive("Loft"), "spot_light.ies"), "light");
  EXPECT_EQ(ExtractFromArchive(Archive("Loft"), "cameras.txt"),
            "Main;2400x1600, 28mm, active;0\nDetail;1600x1600, 60mm;1\n");
  const std::string log = ExtractFromArchive(Archive("Loft"), "TORVAmeter_Maxwell.log");
  EXPECT_NE(log.find("\nNot found: spot_light.ies\n  in \nMissing item has been found "
                     "manually\n\nNot found: concrete.jpg\n"),
            std::string::npos)
      << log;
  // The folder of the last file found is remembered at the end.
  EXPECT_NE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find("\n" + found + "/more/\n"),
            std::string::npos);
  ExpectCleanedUp();
}

// A file picked by hand that cannot be copied (a pipe, a link to a device,
// a folder, an unreadable file) is refused with a message and asked for
// again; only the file that was copied is reported found.
TEST_F(PrepareProjectTest, AMissingFileThatCannotBeCopiedIsAskedForAgain) {
  const std::string loft = CopyScene("Loft");
  const std::string found = folder_.path() + "/found";
  fs::create_directories(found + "/pipe");
  ASSERT_EQ(mkfifo((found + "/pipe/spot_light.ies").c_str(), 0644), 0);
  fs::create_directories(found + "/device");
  fs::create_symlink("/dev/zero", found + "/device/spot_light.ies");
  fs::create_directories(found + "/folder/spot_light.ies");
  std::vector<std::string> refused = {found + "/pipe/spot_light.ies",
                                      found + "/device/spot_light.ies",
                                      found + "/folder/spot_light.ies"};
  if (geteuid() != 0) {  // the superuser reads any file
    WriteFile(found + "/locked/spot_light.ies", "secret");
    fs::permissions(found + "/locked/spot_light.ies", fs::perms::none);
    refused.push_back(found + "/locked/spot_light.ies");
  }
  WriteFile(found + "/spot_light.ies", "light");
  WriteFile(found + "/concrete.jpg", "concrete");
  WriteFile(found + "/missing_normal.png", "normal");
  std::string answers = "file " + loft + "/Loft.mxs\n";
  for (const std::string& path : refused) answers += "file " + path + "\n";
  answers += "file " + found + "/spot_light.ies\nfile " + found + "/concrete.jpg\nfile " + found +
             "/missing_normal.png\ntick 1\nyes\n";
  CommandOutcome run = Prepare(answers);
  ASSERT_EQ(run.status, 0) << run.output;

  const std::string dialog =
      "file \"Missing file: \\\"spot_light.ies\\\" is missing, please find it\"";
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    EXPECT_NE(
        run.output.find("-> \"" + path + "\"\nmessage \"TORVAmeter error\" \"The file \\\"" + path +
                        "\\\" cannot be copied into the project: only a plain file "
                        "that can be read can be sent. Please choose another one.\"\n" +
                        dialog),
        std::string::npos)
        << run.output;
  }
  EXPECT_TRUE(run.Has("log 5 \"Missing item has been found manually\""));
  EXPECT_TRUE(run.Has("log 7 \"Not found: concrete.jpg\""));
  EXPECT_EQ(ExtractFromArchive(Archive("Loft"), "spot_light.ies"), "light");
  // Where the last file came from is remembered, not where a refused one was.
  EXPECT_NE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find("\n" + found + "/\n"),
            std::string::npos);
  ExpectCleanedUp();
}

// A dependency whose recorded name is not valid UTF-8 is compared and copied
// under its own bytes; only what is shown stands in for the odd byte.
TEST_F(PrepareProjectTest, ANameThatIsNotUtf8IsMatchedByItsBytes) {
  const std::string teapot = CopyScene("Teapot");
  const std::string name = "caf\xE9.jpg";  // Latin-1, as a Windows machine may record it
  const std::string renderer = maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell";
  fs::rename(renderer, renderer + ".real");
  WriteExecutable(renderer,
                  "#!/bin/sh\n"
                  "case \"$1\" in\n"
                  "  -script:*) printf 'Not found: /Volumes/caf\\351/caf\\351.jpg\\n'\n"
                  "    exec \"$0.real\" \"$@\" ;;\n"
                  "  *) exec \"$0.real\" \"$@\" ;;\n"
                  "esac\n");
  WriteFile(folder_.path() + "/found/" + name, "latte");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\nfile " + folder_.path() +
                               "/found/" + name + "\nno\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("log 3 \"Not found: caf\xEF\xBF\xBD.jpg\""));
  EXPECT_TRUE(run.Has("log 4 \"  in  /Volumes/caf\xEF\xBF\xBD/\""));
  EXPECT_TRUE(
      run.Has("file \"Missing file: \\\"caf\xEF\xBF\xBD.jpg\\\" is missing, please find "
              "it\" \"" +
              teapot + "/\" \"Missing file (*.jpg)|*.jpg\" -> \"" + folder_.path() + "/found/" +
              name + "\""));
  EXPECT_TRUE(run.Has("log 5 \"Missing item has been found manually\""));
  EXPECT_TRUE(HasLogLine(run, "\"caf\xEF\xBF\xBD.jpg  --> found... (0.00 MB)\""));
  EXPECT_EQ(ExtractFromArchive(Archive("Teapot"), name), "latte");
  const std::string log = ExtractFromArchive(Archive("Teapot"), "TORVAmeter_Maxwell.log");
  EXPECT_NE(log.find("\nNot found: caf\xEF\xBF\xBD.jpg\n"), std::string::npos) << log;
  EXPECT_EQ(ValidUtf8(log), log);
}

// A missing file the user does not find ends the program; the renderer it
// started is stopped first.
TEST_F(PrepareProjectTest, CancellingTheMissingFileDialogStopsTheRendererAndQuits) {
  const std::string teapot = CopyScene("Teapot");
  const std::string pid_file = folder_.path() + "/renderer.pid";
  const std::string renderer = maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell";
  fs::rename(renderer, renderer + ".real");
  WriteExecutable(renderer,
                  "#!/bin/sh\n"
                  "case \"$1\" in\n"
                  "  -script:*) echo $$ > " +
                      ShellQuote(pid_file) +
                      "\n"
                      "    echo 'Not found: /elsewhere/ghost.png'\n"
                      "    exec sleep 120 ;;\n"
                      "  *) exec \"$0.real\" \"$@\" ;;\n"
                      "esac\n");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\ncancel\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"Missing file: \\\"ghost.png\\\" was not "
              "found, TORVAmeter will now quit\""));
  EXPECT_TRUE(run.Has("exit 0"));
  EXPECT_EQ(run.output.find("question"), std::string::npos);
  const pid_t pid = std::stoi("0" + ReadFile(pid_file));
  ASSERT_GT(pid, 0);
  EXPECT_NE(kill(pid, 0), 0) << "the renderer still runs";
  // The program quits without writing its configuration.
  EXPECT_EQ(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find(teapot), std::string::npos);
}

// Blanks and length together: the blank message first, both naming the
// scene as the project has it; the user's file keeps its name; the folder
// and the application folder's path hold blanks too.
TEST_F(PrepareProjectTest, BlankAndLengthRulesNameTheSceneInTheProjectOnly) {
  app_ = folder_.path() + "/My Apps/TORVAmeter Maxwell";
  ASSERT_NO_FATAL_FAILURE(Install());
  const std::string studio = CopyScene("Studio shots");
  const std::string scene = studio + "/studio shot with a long name.mxs";
  const std::string original = ReadFile(scene);
  CommandOutcome run = Prepare("file " + scene + "\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string named =
      ": the scene is named studio_shot_with_a_l.mxs in the project (your scene file keeps its "
      "name)\"";
  const std::size_t blanks = run.output.find(
      "message \"TORVAmeter warning\" \"Spaces are not allowed in the scene name, they are "
      "replaced by '_'" +
      named);
  const std::size_t length = run.output.find(
      "message \"TORVAmeter warning\" \"For compatibility reasons (command-line length), "
      "the\\rscene name is truncated to 24 characters" +
      named);
  ASSERT_NE(blanks, std::string::npos) << run.output;
  ASSERT_NE(length, std::string::npos) << run.output;
  EXPECT_LT(blanks, length);
  EXPECT_EQ(ReadFile(scene), original);
  EXPECT_EQ(std::distance(fs::directory_iterator(studio), {}), 3);
  EXPECT_TRUE(
      run.Has("log 1 \"TORVAmeter is gathering all files needed by "
              "\\\"studio shot with a long name.mxs\\\"...\""));

  const ArchiveListing listing = ListArchive(Archive("studio_shot_with_a_l"));
  EXPECT_EQ(listing.type, "7z");
  EXPECT_EQ(listing.paths,
            (Names{"TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "backdrop.png",
                   "cameras.txt", "softbox light.hdr", "studio_shot_with_a_l.mxs"}));
  ExpectCleanedUp();
}

TEST_F(PrepareProjectTest, BlankAndLengthRulesApart) {
  const std::string teapot = CopyScene("Teapot");
  fs::copy_file(teapot + "/Teapot.mxs", teapot + "/my tea.mxs");
  fs::copy_file(teapot + "/Teapot.mxs", teapot + "/abcdefghijklmnopqrstu.MXS");  // 25
  fs::copy_file(teapot + "/Teapot.mxs", teapot + "/abcdefghijklmnopqrsX.mxs");   // 24

  CommandOutcome blank = Prepare("file " + teapot + "/my tea.mxs\nno\n");
  ASSERT_EQ(blank.status, 0) << blank.output;
  EXPECT_NE(blank.output.find("Spaces are not allowed"), std::string::npos);
  EXPECT_EQ(blank.output.find("truncated"), std::string::npos);
  EXPECT_EQ(ListArchive(Archive("my_tea")).type, "zip");

  CommandOutcome longer = Prepare("file " + teapot + "/abcdefghijklmnopqrstu.MXS\nno\n");
  ASSERT_EQ(longer.status, 0) << longer.output;
  EXPECT_EQ(longer.output.find("Spaces are not allowed"), std::string::npos);
  EXPECT_NE(longer.output.find("truncated to 24 characters"), std::string::npos);
  EXPECT_TRUE(fs::exists(Archive("abcdefghijklmnopqrst")));

  CommandOutcome exact = Prepare("file " + teapot + "/abcdefghijklmnopqrsX.mxs\nno\n");
  ASSERT_EQ(exact.status, 0) << exact.output;
  EXPECT_EQ(exact.output.find("message \"TORVAmeter warning\""), std::string::npos);
  EXPECT_TRUE(fs::exists(Archive("abcdefghijklmnopqrsX")));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(teapot)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (Names{"Teapot.mxs", "abcdefghijklmnopqrsX.mxs", "abcdefghijklmnopqrstu.MXS",
                         "my tea.mxs"}));
}

// Only blanks are replaced: a double quote travels in the argument vectors
// and the escaped scripts, and the archive keeps it.
TEST_F(PrepareProjectTest, QuotesInTheSceneNameStayAndOnlyBlanksAreReplaced) {
  const std::string teapot = CopyScene("Teapot");
  fs::copy_file(teapot + "/Teapot.mxs", teapot + "/say \"cheese\".mxs");

  CommandOutcome both = Prepare("file " + teapot + "/say \"cheese\".mxs\nno\n");
  ASSERT_EQ(both.status, 0) << both.output;
  EXPECT_NE(both.output.find("message \"TORVAmeter warning\" \"Spaces are not allowed in the "
                             "scene name, they are replaced by '_'"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(teapot + "/say \"cheese\".mxs"));
  EXPECT_EQ(ListArchive(Archive("say_\"cheese\"")).paths,
            (Names{"TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "cameras.txt",
                   "say_\"cheese\".mxs"}));
  ExpectCleanedUp();
}

// A file of the user's under the scene's name in the project is left alone:
// the project takes the chosen scene under that name.
TEST_F(PrepareProjectTest, TheProjectNameNeverTouchesAFileOfThatName) {
  const std::string teapot = CopyScene("Teapot");
  fs::copy_file(teapot + "/Teapot.mxs", teapot + "/my tea.mxs");
  WriteFile(teapot + "/my_tea.mxs", "SIM-MXS 1\n# another scene\n");
  CommandOutcome run = Prepare("file " + teapot + "/my tea.mxs\nno\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ReadFile(teapot + "/my_tea.mxs"), "SIM-MXS 1\n# another scene\n");
  EXPECT_EQ(ReadFile(teapot + "/my tea.mxs"), ReadFile(teapot + "/Teapot.mxs"));
  EXPECT_EQ(ExtractFromArchive(Archive("my_tea"), "my_tea.mxs"), ReadFile(teapot + "/Teapot.mxs"));
  ExpectCleanedUp();
}

// A scene the renderer cannot read: nothing is gathered, nothing is asked,
// the failure is reported and the project log kept as the error log.
TEST_F(PrepareProjectTest, ABrokenSceneEndsInTheFailureReport) {
  const std::string broken = CopyScene("Broken");
  WriteFile(app_ + "/ERROR_TORVAmeter.log", "an older failure\n");
  CommandOutcome run = Prepare("file " + broken + "/Broken.mxs\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("log 3 \"\""));
  EXPECT_TRUE(run.Has("log 4 \"No archive created, Maxwell Render has crashed!\""));
  EXPECT_EQ(run.output.find("question"), std::string::npos);
  EXPECT_TRUE(run.Has("log 5 \"\""));
  // Nothing was compressed, and the last message does not say otherwise.
  EXPECT_TRUE(run.Has("log 6 \"The scene's files could not be gathered:\""));
  EXPECT_TRUE(run.Has("log 7 \"   the project HAS NOT BEEN prepared sucessfully!\""));
  EXPECT_TRUE(run.Has("log 8 \"\""));
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"Maxwell Render gathered no file of the "
              "scene: nothing has been compressed.\""))
      << run.output;
  EXPECT_TRUE(run.Has("enable 5"));
  const std::string error_log = ReadFile(app_ + "/ERROR_TORVAmeter.log");
  EXPECT_NE(error_log.find("TORVAmeter is gathering all files needed by Broken.mxs...\n\n\n"
                           "No archive created, Maxwell Render has crashed!\n\n"
                           "The scene's files could not be gathered:\n"
                           "   the project HAS NOT BEEN prepared sucessfully!\n\n"),
            std::string::npos)
      << error_log;
  EXPECT_FALSE(fs::exists(Archive("Broken")));
  ExpectCleanedUp();
}

// A renderer that crashes after copying files may not have copied them all:
// the project is reported as one it left empty, and nothing is packed.
TEST_F(PrepareProjectTest, ARendererThatCrashesWhileGatheringPacksNothing) {
  const std::string teapot = CopyScene("Teapot");
  WrapProgram(maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell",
              "case \"$1\" in\n"
              "  -script:*) \"$0.real\" \"$@\"; kill -SEGV $$ ;;\n"
              "  *) exec \"$0.real\" \"$@\" ;;\n"
              "esac\n");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("log 3 \"Teapot.mxs  --> found... (0.00 MB)\"")) << run.output;
  EXPECT_TRUE(run.Has("log 5 \"No archive created, Maxwell Render has crashed!\"")) << run.output;
  EXPECT_EQ(run.output.find("dependancies found"), std::string::npos);
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"Maxwell Render has crashed while gathering "
              "the scene's files: nothing has been compressed.\""));
  EXPECT_FALSE(fs::exists(Archive("Teapot")));
  EXPECT_TRUE(fs::exists(app_ + "/ERROR_TORVAmeter.log"));
  ExpectCleanedUp();
}

// A camera listing that failed half-way would offer only some of the cameras:
// the user is told, and the project goes without its list.
TEST_F(PrepareProjectTest, AFailedCameraListingIsNotPackedAsTheSceneCameras) {
  const std::string teapot = CopyScene("Teapot");
  WrapProgram(maxwell_ + "/Pymaxwell.app/Contents/MacOS/Pymaxwell", "\"$0.real\" \"$@\"\nexit 1\n");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string failure =
      "The cameras of the scene could not be listed (Pymaxwell ended with exit status 1). The "
      "project will be prepared without its list of cameras.";
  EXPECT_TRUE(run.Has("message \"TORVAmeter warning\" \"" + failure + "\"")) << run.output;
  EXPECT_NE(run.output.find("Your project is now ready to render!"), std::string::npos);
  const ArchiveListing listing = ListArchive(Archive("Teapot"));
  EXPECT_EQ(listing.paths,
            (Names{"TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "Teapot.mxs"}));
  EXPECT_NE(ExtractFromArchive(Archive("Teapot"), "TORVAmeter_Maxwell.log").find(failure),
            std::string::npos);
  ExpectCleanedUp();
}

// Without Pymaxwell the step ends quietly and the project goes without the list.
TEST_F(PrepareProjectTest, AMissingPymaxwellLeavesOutTheListWithoutAWord) {
  const std::string teapot = CopyScene("Teapot");
  fs::remove(maxwell_ + "/Pymaxwell.app/Contents/MacOS/Pymaxwell");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find("TORVAmeter warning"), std::string::npos) << run.output;
  EXPECT_EQ(ListArchive(Archive("Teapot")).paths,
            (Names{"TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "Teapot.mxs"}));
}

// Pymaxwell's list of one 5 MB line is refused as a whole, not read.
TEST_F(PrepareProjectTest, ACameraListTooLargeToReadIsNotPacked) {
  const std::string teapot = CopyScene("Teapot");
  WrapProgram(maxwell_ + "/Pymaxwell.app/Contents/MacOS/Pymaxwell",
              "for last; do :; done\nhead -c 5242880 /dev/zero | tr '\\0' x > \"$last\"\n");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter warning\" \"cameras.txt is too large (more than 4 "
              "MB). The project will be prepared without its list of cameras.\""))
      << run.output.substr(0, 3000);
  EXPECT_EQ(ListArchive(Archive("Teapot")).paths,
            (Names{"TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "Teapot.mxs"}));
}

// Without the archiver the gathered files stay for packing by hand.
TEST_F(PrepareProjectTest, AMissingArchiverKeepsTheProjectFolder) {
  const std::string teapot = CopyScene("Teapot");
  fs::remove(app_ + "/7za");
  CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"7za has not been found in the TORVAmeter "
              "directory!\\nYou will have to compress the files in " +
              app_ + "/temp manually.\""));
  EXPECT_TRUE(
      run.Has("message \"TORVAmeter error\" \"An error occurred during the compression!\""));
  EXPECT_EQ(run.output.find("question"), std::string::npos);
  EXPECT_TRUE(fs::exists(app_ + "/temp/Teapot.mxs"));
  EXPECT_EQ(ReadFile(app_ + "/temp/cameras.txt"), "Camera01;800x600, 35mm, active;1\n");
  EXPECT_TRUE(fs::exists(app_ + "/ERROR_TORVAmeter.log"));
  EXPECT_FALSE(fs::exists(app_ + "/TORVAmeter_Maxwell.log"));
}

// The second preparation replaces the first archive.
TEST_F(PrepareProjectTest, PreparingTheSameSceneTwiceReplacesTheArchive) {
  const std::string teapot = CopyScene("Teapot");
  ASSERT_EQ(Prepare("file " + teapot + "/Teapot.mxs\nno\n").status, 0);
  EXPECT_EQ(ListArchive(Archive("Teapot")).type, "zip");
  WriteFile(teapot + "/Teapot.mxs", ReadFile(teapot + "/Teapot.mxs") + "# changed\n");
  CommandOutcome again = Prepare("file " + teapot + "/Teapot.mxs\nyes\n");
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(ListArchive(Archive("Teapot")).type, "7z");
  EXPECT_EQ(ExtractFromArchive(Archive("Teapot"), "Teapot.mxs"), ReadFile(teapot + "/Teapot.mxs"));
  ExpectCleanedUp();
}

// The archiver fails while packing (a full disk, say) after writing part of
// the archive: the earlier archive stays byte for byte, nothing half-written
// is left in the archive folder, and the user is told.
TEST_F(PrepareProjectTest, AFailedPackingKeepsTheEarlierArchive) {
  const std::string teapot = CopyScene("Teapot");
  ASSERT_EQ(Prepare("file " + teapot + "/Teapot.mxs\nyes\n").status, 0);
  const std::string earlier = ReadFile(Archive("Teapot"));
  ASSERT_FALSE(earlier.empty());
  WriteExecutable(app_ + "/7za",
                  "#!/bin/sh\n"
                  "case \" $* \" in *\" -r \"*) printf 'half an archive' > \"$2\"\n"
                  "  echo 'ERROR: No space left on device'; exit 2 ;; esac\n"
                  "exec 7za \"$@\"\n");
  for (const char* answer : {"yes", "no"}) {
    SCOPED_TRACE(answer);
    CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\n" + answer + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(run.Has("log 8 \"An error occurred during the compression:\""));
    EXPECT_TRUE(
        run.Has("message \"TORVAmeter error\" \"An error occurred during the compression!\\n"
                "7za failed while compressing the "
                "project (exit status 2).\\nNo archive has been written; an earlier "
                "archive of this scene is kept as it was.\""));
    EXPECT_EQ(run.output.find("ready to render"), std::string::npos);
    EXPECT_EQ(ReadFile(Archive("Teapot")), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(app_ + "/archive"), {}), 1);
    EXPECT_TRUE(fs::exists(app_ + "/ERROR_TORVAmeter.log"));
    ExpectCleanedUp();
  }
}

// The archiver packs but fails while adding the logs: no "ready to render",
// the project log is kept as the error log, the earlier archive stays.
TEST_F(PrepareProjectTest, AFailureWhileAddingTheLogsIsReported) {
  const std::string teapot = CopyScene("Teapot");
  ASSERT_EQ(Prepare("file " + teapot + "/Teapot.mxs\nno\n").status, 0);
  const std::string earlier = ReadFile(Archive("Teapot"));
  WriteExecutable(app_ + "/7za",
                  "#!/bin/sh\n"
                  "case \" $* \" in *\" -r \"*) exec 7za \"$@\" ;; esac\n"
                  "printf 'broken' > \"$2\"; exit 2\n");
  for (const char* answer : {"yes", "no"}) {
    SCOPED_TRACE(answer);
    CommandOutcome run = Prepare("file " + teapot + "/Teapot.mxs\n" + answer + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(
        run.Has("message \"TORVAmeter error\" \"An error occurred during the compression!\\n"
                "7za failed while adding the logs to the "
                "archive (exit status 2).\\nNo archive has been written; an earlier "
                "archive of this scene is kept as it was.\""));
    EXPECT_EQ(run.output.find("ready to render"), std::string::npos);
    EXPECT_EQ(run.output.find("open "), std::string::npos);
    EXPECT_TRUE(run.Has("log 8 \"An error occurred during the compression:\""));
    EXPECT_EQ(ReadFile(Archive("Teapot")), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(app_ + "/archive"), {}), 1);
    EXPECT_NE(ReadFile(app_ + "/ERROR_TORVAmeter.log").find("HAS NOT BEEN prepared"),
              std::string::npos);
    ExpectCleanedUp();
  }
}

// A process whose command line holds `marker` (its arguments joined by
// blanks) still runs; ended ones waiting to be reaped show no command line.
bool SomeProcessRuns(const std::string& marker) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
    std::string command_line = ReadFile(entry.path().string() + "/cmdline");
    std::replace(command_line.begin(), command_line.end(), '\0', ' ');
    if (command_line.find(marker) != std::string::npos) return true;
  }
  return false;
}

const std::string kQuitQuestion =
    "question \"TORVAmeter\" \"Do you want to stop the preparation of the project and quit "
    "TORVAmeter?\" -> ";

// Closing the main window while the renderer gathers, Pymaxwell lists the
// cameras or the archiver packs: on Yes the running program is ended, nothing
// is packed, the earlier archive stays, and the program ends normally (its
// configuration written).
TEST_F(PrepareProjectTest, QuittingStopsEachStepOfThePreparation) {
  const std::string teapot = CopyScene("Teapot");
  ASSERT_EQ(Prepare("file " + teapot + "/Teapot.mxs\nyes\n").status, 0);
  const std::string earlier = ReadFile(Archive("Teapot"));
  // The wrappers hang in a sleep that no other program has reason to run.
  const std::string marker = "sleep 120.25";
  const std::string hang = "exec " + marker;
  const std::string renderer = maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell";
  const std::string pymaxwell = maxwell_ + "/Pymaxwell.app/Contents/MacOS/Pymaxwell";
  struct Step {
    std::string program, wrapper, answers;
  } steps[] = {
      {renderer, "case \"$1\" in -script:*) " + hang + " ;; esac\nexec \"$0.real\" \"$@\"\n",
       "close after gathering all files needed by\n"},
      {pymaxwell, hang + "\n", "close after dependancies found\n"},
      {app_ + "/7za",
       "case \" $* \" in *\" -r \"*) printf 'half an archive' > \"$2\"; " + hang +
           " ;; esac\nexec 7za \"$@\"\n",
       "yes\nclose after compressing the project\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.answers);
    WrapProgram(step.program, step.wrapper);
    CommandOutcome run = RunScriptedProgram(
        app_, "press 5\nfile " + teapot + "/Teapot.mxs\n" + step.answers + "yes\n");
    fs::rename(step.program + ".real", step.program);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(run.Has(kQuitQuestion + "yes")) << run.output;
    EXPECT_TRUE(run.Has("enable 5"));
    EXPECT_TRUE(run.Has("exit 0"));
    EXPECT_EQ(run.output.find("ready to render"), std::string::npos);
    EXPECT_EQ(run.output.find("An error occurred"), std::string::npos);
    EXPECT_FALSE(SomeProcessRuns(marker)) << "the program the preparation ran still runs";
    EXPECT_EQ(ReadFile(Archive("Teapot")), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(app_ + "/archive"), {}), 1);
    EXPECT_FALSE(fs::exists(app_ + "/ERROR_TORVAmeter.log"));
    ExpectCleanedUp();
    // The configuration is written on the way out, as after a close in the main loop.
    EXPECT_NE(ReadFile(app_ + "/TORVAmeter_Maxwell.ini").find("\n" + teapot + "/\n"),
              std::string::npos);
  }
}

// Answered No, the close request changes nothing: the preparation ends as
// it would have, and the program goes on to the next close.
TEST_F(PrepareProjectTest, ACloseRequestAnsweredNoLetsThePreparationGoOn) {
  const std::string loft = CopyScene("Loft");
  const std::string found = PutMissingLoftFiles();
  // The renderer takes its time, so that the request comes while it gathers.
  WrapProgram(maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell",
              "case \"$1\" in -script:*) sleep 2 ;; esac\nexec \"$0.real\" \"$@\"\n");
  CommandOutcome run = Prepare("file " + loft + "/Loft.mxs\nclose after gathering all files\nno\n" +
                               found + "tick 1\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has(kQuitQuestion + "no"));
  EXPECT_TRUE(run.Has("log 29 \"Your project is now ready to render!\"")) << run.output;
  EXPECT_EQ(ListArchive(Archive("Loft")).paths,
            (Names{"Loft.mxs", "TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log", "brick.png",
                   "cameras.txt", "concrete.jpg", "missing_normal.png", "spot_light.ies"}));
  ExpectCleanedUp();
}

// Quotes and backslashes in the scene's folder reach the renderer and
// Pymaxwell unchanged, whether the path travels inside the camera script
// (renderer 2) or as an argument.
TEST_F(PrepareProjectTest, QuotesAndBackslashesInPathsReachTheScripts) {
  for (const std::string version : {"2.7.0.0", "5.2.1.49"}) {
    SCOPED_TRACE(version);
    ASSERT_NO_FATAL_FAILURE(Install("", version));
    const std::string odd = CopyScene("Kitchen", "Jo's \"odd\" \\ kitchen");
    CommandOutcome run = Prepare("file " + odd + "/Kitchen.mxs\nyes\ntick 2\nyes\n");
    EXPECT_TRUE(run.Has(SameNameQuestion(odd) + "yes"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(run.Has("window \"Check cameras to render (3 found)\" 290 140"));
    const ArchiveListing listing = ListArchive(Archive("Kitchen"));
    EXPECT_EQ(listing.paths,
              (Names{"Kitchen.mxs", "TORVAmeter_Benchmark.log", "TORVAmeter_Maxwell.log",
                     "cameras.txt", "chrome.png", "diffuse.jpg", "sky.hdr"}));
  }
  EXPECT_FALSE(fs::exists(app_ + "/benchmark/GetCameras_tmp.py"));
}

// Cancelling the camera window, or closing it, gives up the preparation:
// nothing is packed, the project folder goes, the buttons come back and the
// program goes on.
TEST_F(PrepareProjectTest, CancellingTheCameraWindowGivesUpThePreparation) {
  const std::string loft = CopyScene("Loft");
  const std::string found = PutMissingLoftFiles();
  for (const char* answer : {"cancel", "close"}) {
    SCOPED_TRACE(answer);
    CommandOutcome run = Prepare("file " + loft + "/Loft.mxs\n" + found + answer + "\n");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("closewin \"Check cameras to render (2 found)\"\n"
                              "log 22 \"The preparation has been cancelled, nothing has been "
                              "packed.\"\nenable 5\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("question"), std::string::npos);
    EXPECT_FALSE(fs::exists(Archive("Loft")));
    EXPECT_FALSE(fs::exists(app_ + "/ERROR_TORVAmeter.log"));
    EXPECT_TRUE(run.Has("exit 0"));
    ExpectCleanedUp();
    // Dismissing the compression question, whose No packs too, packs nothing.
    run = Prepare("file " + loft + "/Loft.mxs\n" + found + "tick\n" + answer + "\n");
    EXPECT_NE(run.output.find("The preparation has been cancelled, nothing has been packed."),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(Archive("Loft")));
    ExpectCleanedUp();
  }
}

// Every camera of a scene with more than fifty is kept and can be chosen;
// their window fits the screen (the list scrolls inside it).
TEST_F(PrepareProjectTest, SixtyCamerasAreAllKept) {
  std::string scene = "SIM-MXS 1\n";
  std::string expected;
  for (int i = 1; i <= 60; ++i) {
    scene += "camera Cam" + std::to_string(i) + ";640x480 35mm\n";
    expected += "Cam" + std::to_string(i) + ";640x480, 35mm;" + (i == 55 ? "1" : "0") + "\n";
  }
  WriteFile(scenes_ + "/Many/Many.mxs", scene);
  CommandOutcome run = Prepare("file " + scenes_ + "/Many/Many.mxs\ntick 55\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("window \"Check cameras to render (60 found)\" 290 984"));
  EXPECT_EQ(ExtractFromArchive(Archive("Many"), "cameras.txt"), expected);
}

// A project whose files are all empty reports a plain reduction.
TEST_F(PrepareProjectTest, AllEmptyFilesGiveNoNanOrInfinity) {
  const std::string renderer = maxwell_ + "/Maxwell.app/Contents/MacOS/Maxwell";
  fs::rename(renderer, renderer + ".real");
  WriteExecutable(renderer,
                  "#!/bin/sh\n"
                  "case \"$1\" in\n"
                  "  -script:*) : > " +
                      ShellQuote(app_ + "/temp/Empty.mxs") +
                      "\n"
                      "    : > " +
                      ShellQuote(app_ + "/temp/empty.png") +
                      " ;;\n"
                      "  *) exec \"$0.real\" \"$@\" ;;\n"
                      "esac\n");
  WriteFile(scenes_ + "/Empty/Empty.mxs", "");
  CommandOutcome run = Prepare("file " + scenes_ + "/Empty/Empty.mxs\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("log 6 \"1 dependancies found. Project size (uncompressed): 0.00 MB.\""));
  EXPECT_NE(run.output.find("\"Compression has decreased the project size by 0.00% ("),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("nan"), std::string::npos);
  EXPECT_EQ(run.output.find("inf%"), std::string::npos);
}

// The bar follows the archiver while it packs and ends at 60.
TEST_F(PrepareProjectTest, TheProgressBarMovesWhilePacking) {
  fs::create_directories(scenes_ + "/Noise");
  ASSERT_EQ(RunCommand("head -c 8000000 /dev/urandom > " + ShellQuote(scenes_ + "/Noise/noise.raw"))
                .status,
            0);
  WriteFile(scenes_ + "/Noise/Noise.mxs", "SIM-MXS 1\ndependency noise.raw\n");
  CommandOutcome run = Prepare("file " + scenes_ + "/Noise/Noise.mxs\nyes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  std::vector<int> values;
  const std::regex progress("\nprogress (\\d+)(?=\n)");
  for (std::sregex_iterator it(run.output.begin(), run.output.end(), progress), end; it != end;
       ++it)
    values.push_back(std::stoi((*it)[1]));
  ASSERT_FALSE(values.empty());
  EXPECT_EQ(values.back(), 60);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](int v) { return v > 0 && v < 60; }))
      << run.output;
}

}  // namespace
}  // namespace torva
