#include <gtest/gtest.h>

#include <cstdio>

#include "prepare/camera_script.h"
#include "prepare/gather_script.h"
#include "prepare/script_text.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

const std::string kAwkwardPath = "/Volumes/Jo's \"best\" disk/back\\slash\n\tline/Sc\xC3\xA9ne.mxs";

// Python reads the escaped text back as the very same string.
TEST(ScriptTextTest, PythonReadsTheEscapedPathBackUnchanged) {
  TempFolder folder;
  const std::string script = folder.path() + "/echo.py";
  const std::string out = folder.path() + "/out.txt";
  WriteFile(script, "import io\nio.open('" + PythonStringContent(out) +
                        "', 'w', encoding='utf-8', newline='').write(u'" +
                        PythonStringContent(kAwkwardPath) + "' + u\"" +
                        PythonStringContent(kAwkwardPath) + "\")\n");
  ASSERT_EQ(std::system(("python3 '" + script + "'").c_str()), 0);
  EXPECT_EQ(ReadFile(out), kAwkwardPath + kAwkwardPath);
}

TEST(ScriptTextTest, OrdinaryPathsAreWrittenAsTheyAre) {
  EXPECT_EQ(ScriptStringContent("/Users/me/Kitchen/Kitchen.mxs"), "/Users/me/Kitchen/Kitchen.mxs");
  EXPECT_EQ(ScriptStringContent("a\"b\\c\xE2\x80\xA8"), "a\\\"b\\\\c\\u2028");
}

TEST(GatherScriptTest, ThirtyLinesWithTheTwoPathsQuoted) {
  const std::string script = GatherScript("/Users/me/Kitchen/Kitchen.mxs", "/App/temp");
  std::vector<std::string> lines;
  for (std::size_t from = 0, end; (end = script.find('\n', from)) != std::string::npos;
       from = end + 1)
    lines.push_back(script.substr(from, end - from));
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[0], "var mxsPath = \"/Users/me/Kitchen/Kitchen.mxs\";");
  EXPECT_EQ(lines[7], "var targetFolder = \"/App/temp\";");
  EXPECT_EQ(lines[19],
            "\t\t\tif (FileManager.getFileNameAndExtension(lDeps[j]) == "
            "FileManager.getFileNameAndExtension(currentDep))");
  EXPECT_EQ(lines[27], "\t\tif (found == 0) Maxwell.print( \"Not found: \" + currentDep );");
}

TEST(GatherScriptTest, NotFoundLinesGiveTheNameAndTheFolderAsPrinted) {
  auto windows = ReadNotFoundLine("Not found: C:\\Users\\artist\\maps\\chrome.png");
  ASSERT_TRUE(windows);
  EXPECT_EQ(windows->name, "chrome.png");
  EXPECT_EQ(windows->in_folder, "");

  auto unix_path = ReadNotFoundLine("Not found: /nonexistent/textures/concrete.jpg");
  ASSERT_TRUE(unix_path);
  EXPECT_EQ(unix_path->name, "concrete.jpg");
  EXPECT_EQ(unix_path->in_folder, " /nonexistent/textures/");

  auto bare = ReadNotFoundLine("Not found: sky.hdr");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->name, "sky.hdr");

  EXPECT_FALSE(ReadNotFoundLine("Script finished."));
}

TEST(CameraScriptTest, GenerationDigitsFromTheVersionText) {
  EXPECT_EQ(PymaxwellGenerationFor("2.7.0"), PymaxwellGeneration::k2);
  EXPECT_EQ(PymaxwellGenerationFor("3.9.9"), PymaxwellGeneration::k3);
  EXPECT_EQ(PymaxwellGenerationFor("4.2.1"), PymaxwellGeneration::k4);
  EXPECT_EQ(PymaxwellGenerationFor("5.0.1"), PymaxwellGeneration::k5);
  EXPECT_EQ(PymaxwellGenerationFor(""), PymaxwellGeneration::k2);
  EXPECT_EQ(PymaxwellGenerationFor("10.0"), PymaxwellGeneration::k5);
}

TEST(CameraScriptTest, HeaderTemplateAndTheCallOfEachGeneration) {
  CameraScriptInput input{PymaxwellGeneration::k4, "/Max/",
                          std::string("def getCameras(a, b):\r\n  pass\n"), "/s/K.mxs",
                          "/App/temp/cameras.txt"};
  EXPECT_EQ(
      CameraScript(input),
      "import sys\n\n"
      "sys.path.append('/Max/Pymaxwell.app/Contents/MacOS/../../../Libs/pymaxwell/python2.7')\n"
      "sys.path.append('/Max/Pymaxwell.app/Contents/MacOS/../../../Libs/numpy')\n\n"
      "from pymaxwell4 import *\n\n"
      "def getCameras(a, b):\n  pass\n"
      "\n"
      "getCameras(sys.argv[1],sys.argv[2])\n");
  input.generation = PymaxwellGeneration::k2;
  input.template_text.reset();
  const std::string two = CameraScript(input);
  EXPECT_NE(
      two.find(
          "\nfrom pymaxwell import *\n\n\ngetCameras(\"/s/K.mxs\",\"/App/temp/cameras.txt\")\n"),
      std::string::npos);
  EXPECT_EQ(PymaxwellArguments(PymaxwellGeneration::k2, "/App/benchmark/GetCameras_tmp.py",
                               "/s/K.mxs", "/c.txt"),
            (std::vector<std::string>{"-nogui", "/App/benchmark/GetCameras_tmp.py"}));
}

}  // namespace
}  // namespace torva
