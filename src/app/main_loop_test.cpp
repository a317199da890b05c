#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <fstream>

#include "testing/scripted_session.h"

namespace torva {
namespace {

TEST(MainLoopTest, OnlyAPlainSingleLeftClickOnTheLogoOpensThePage) {
  TempFolder folder;
  ScriptedSession session("press 0\nclose\n");
  Program program(session.desktop(), folder.path());
  RunMainLoop(program);
  EXPECT_NE(session.transcript().find("open \"https://www.torva.fr/en/rendering/maxwell\"\n"),
            std::string::npos);
}

TEST(MainLoopTest, CloseWritesTheConfigurationAndAFailureIsReported) {
  TempFolder folder;
  {
    ScriptedSession session("close\n");
    Program program(session.desktop(), folder.path());
    program.state.MaxwellDir = "/m/";
    program.state.CheckUpdates = false;
    RunMainLoop(program);
    std::ifstream config(program.paths.ConfigFile);
    std::string first, second;
    std::getline(config, first);
    std::getline(config, second);
    EXPECT_EQ(second, "/m/");
  }
  {
    ScriptedSession session("close\n");
    Program program(session.desktop(), folder.path() + "/gone");
    RunMainLoop(program);
    EXPECT_EQ(session.transcript(),
              "message \"TORVAmeter error\" \"The initialisation file cannot be created! "
              "TORVAmeter will now quit\"\n");
  }
}

}  // namespace
}  // namespace torva
