#include "state/config/settings.h"

#include "state/config/config_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "testing/environment.h"
#include "testing/mock_desktop.h"
#include "testing/scripted_session.h"

namespace torva {
namespace {

std::string ConfigText(const std::string& maxwell, const std::string& login_block,
                       const std::string& password_block, const std::string& last,
                       const std::string& updates) {
  return ";Maxwell Render path\n" + maxwell + "\n;TORVA login (crypted - do not modify)\n" +
         login_block + "\n;TORVA password (crypted - do not modify)\n" + password_block +
         "\n;Last directory from previous session\n" + last + "\n;Check for updates?\n" + updates +
         "\n";
}

// "bob" and "pw" as 40-byte UTF-16LE blocks in Base64.
const std::string kBob = "YgBvAGIAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA==";
const std::string kPw = "cAB3AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA==";

class SettingsTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string app_ = folder_.path() + "/app";
  void SetUp() override { std::filesystem::create_directory(app_); }
};

TEST_F(SettingsTest, FirstRunStoresFolderAccountAndUpdateAnswer) {
  ScriptedSession session("file /opt/Maxwell 5/mximerge\nyes\ninput bob\ninput pw\nno\n");
  Program program(session.desktop(), app_);
  const std::string home = folder_.path() + "/home";
  ScopedEnv home_variable("HOME", home.c_str());
  WriteFile(program.paths.config_backup, "set aside by a failed start");
  EXPECT_EQ(AskFirstRunQuestions(program).kind, Next::kGoOn);
  EXPECT_FALSE(std::filesystem::exists(program.paths.config_backup));

  EXPECT_EQ(program.state.MaxwellDir, "/opt/Maxwell 5/");
  EXPECT_EQ(program.state.LastDir, "/opt/Maxwell 5/");
  EXPECT_EQ(ReadFile(program.paths.ConfigFile),
            ConfigText("/opt/Maxwell 5/", kBob, kPw, "/opt/Maxwell 5/", "No"));
  std::string t = session.transcript();
  EXPECT_EQ(t.rfind("message \"Welcome to TORVAmeter - First run\" \"               This", 0), 0u);
  // No Maxwell in /Applications here: the requester opens in the home folder.
  EXPECT_NE(t.find("file \"Please select any file in your Maxwell Render directory\" \"" + home +
                   "\" \"*.*|*.*\""),
            std::string::npos);
  EXPECT_EQ(
      std::filesystem::status(program.paths.ConfigFile).permissions() & std::filesystem::perms::all,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(SettingsTest, FirstRunWithoutAccountLeavesTheCredentialLinesEmpty) {
  ScriptedSession session("file /m/x\nno\nyes\n");
  Program program(session.desktop(), app_);
  EXPECT_EQ(AskFirstRunQuestions(program).kind, Next::kGoOn);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("/m/", "", "", "/m/", "Yes"));
}

TEST_F(SettingsTest, FirstRunEndsTheProgramWithoutWritingOnMissingAnswers) {
  struct Case {
    const char* answers;
    const char* message;
  } cases[] = {
      {"cancel\n", "No file selected, TORVAmeter will now quit"},
      {"file /m/x\nyes\ninput\n", "You must enter a valid TORVA login! TORVAmeter will now quit"},
      {"file /m/x\nyes\ninput bob\ncancel\n",
       "You must enter a valid TORVA password! TORVAmeter will now quit"},
  };
  for (const Case& c : cases) {
    ScriptedSession session(c.answers);
    Program program(session.desktop(), app_);
    const Next next = AskFirstRunQuestions(program);
    EXPECT_EQ(next.kind, Next::kEndProgram) << c.answers;
    EXPECT_EQ(next.last_message, c.message);
    EXPECT_FALSE(std::filesystem::exists(program.paths.ConfigFile));
  }
}

TEST_F(SettingsTest, FirstRunQuitsWhenTheFileCannotBeCreated) {
  ScriptedSession session("file /m/x\nno\nno\n");
  Program program(session.desktop(), folder_.path() + "/missing/app");
  const Next next = AskFirstRunQuestions(program);
  EXPECT_EQ(next.kind, Next::kEndProgram);
  EXPECT_EQ(next.last_message,
            "The initialisation file cannot be created! TORVAmeter will now quit");
}

TEST_F(SettingsTest, AnEmptyUpdateAnswerIsAskedAndWrittenAtOnce) {
  ScriptedSession session("yes\n");
  Program program(session.desktop(), app_);
  WriteFile(program.paths.ConfigFile, ConfigText("/m/", kBob, kPw, "/s/", ""));
  ASSERT_TRUE(LoadConfiguration(program));
  EXPECT_TRUE(program.state.CheckUpdates);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("/m/", kBob, kPw, "/s/", "Yes"));
  EXPECT_EQ(program.state.FarmLogin, "bob");
  EXPECT_EQ(program.state.LastDir, "/s/");
}

TEST_F(SettingsTest, AStoredAnswerOtherThanYesIsNeitherAskedNorTakenAsYes) {
  ScriptedSession session("");  // any question would be stuck
  Program program(session.desktop(), app_);
  WriteFile(program.paths.ConfigFile, ConfigText("/m/", "", "", "/s/", "yes"));
  ASSERT_TRUE(LoadConfiguration(program));
  EXPECT_FALSE(program.state.CheckUpdates);
  // It is written back as it stood.
  ASSERT_TRUE(SaveConfiguration(program));
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("/m/", "", "", "/s/", "yes"));
}

TEST_F(SettingsTest, TheConfigButtonsAnswerReplacesAnUnusualStoredOne) {
  ScriptedSession session("yes\nno\n");
  Program program(session.desktop(), app_);
  WriteFile(program.paths.ConfigFile, ConfigText("/m/", "", "", "/s/", "yes"));
  ASSERT_TRUE(LoadConfiguration(program));
  RunConfigButton(program);
  EXPECT_TRUE(program.state.CheckUpdates);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("/m/", "", "", "/s/", "Yes"));
}

TEST_F(SettingsTest, ExtraLinesSetTheSizeLimitAndAreDroppedOnTheNextWrite) {
  ScriptedSession session("");
  Program program(session.desktop(), app_);
  std::string ten = ConfigText("/m/", kBob, kPw, "/s/", "No");
  WriteFile(program.paths.ConfigFile, ten + "limit\n100\n");
  ASSERT_TRUE(LoadConfiguration(program));
  EXPECT_EQ(program.constants.MxiSizeLimitMB, 100);
  ASSERT_TRUE(SaveConfiguration(program));
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ten);
}

TEST_F(SettingsTest, NoFileMeansFirstRun) {
  ScriptedSession session("");
  Program program(session.desktop(), app_);
  EXPECT_FALSE(LoadConfiguration(program));
}

TEST_F(SettingsTest, ConfigButtonAsksAgainUntilLoginAndPasswordAreGiven) {
  ScriptedSession session("no\nyes\ninput\ninput bob\ninput\ninput pw\n");
  Program program(session.desktop(), app_);
  RunConfigButton(program);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("", kBob, kPw, app_, "No"));
  std::string t = session.transcript();
  EXPECT_NE(t.find("message \"User info updated\" \"Your TORVA login and password have been "
                   "updated successfully.\""),
            std::string::npos);
}

// The boxes show the current answer and login; Escape or the close box on any
// of them leaves what it asks about as it was, and asks nothing more.
TEST_F(SettingsTest, ConfigShowsTheCurrentValuesAndADismissedBoxChangesNothing) {
  for (const char* answers :
       {"cancel\n", "no\nclose\n", "no\nyes\ncancel\n", "no\nyes\nreturn\ncancel\n"}) {
    ScriptedSession session(answers);
    Program program(session.desktop(), app_);
    program.state.CheckUpdates = true;
    program.state.FarmLogin = "bob" + std::string(20, ' ');
    program.state.FarmPassword = "pw";
    RunConfigButton(program);
    const std::string t = session.transcript();
    EXPECT_NE(t.find("highly recommended)?\\n(Your answer so far: Yes.)\""), std::string::npos)
        << t;
    EXPECT_EQ(program.state.CheckUpdates, std::string(answers) == "cancel\n") << answers;
    EXPECT_EQ(program.state.FarmLogin, "bob" + std::string(20, ' ')) << answers;
    EXPECT_EQ(program.state.FarmPassword, "pw");
    EXPECT_EQ(t.find("User info updated"), std::string::npos) << t;
    if (std::string(answers).ends_with("yes\ncancel\n")) {
      EXPECT_NE(
          t.find("input \"TORVA login\" \"Please enter your TORVA login:\" \"bob\" -> cancel"),
          std::string::npos)
          << t;
    }
  }
}

// A password the settings would cut is refused and asked for again.
TEST_F(SettingsTest, ConfigButtonRefusesAPasswordLongerThanTheSettingsKeep) {
  ScriptedSession session("no\nyes\ninput bob\ninput " + std::string(21, 'p') + "\ninput pw\n");
  Program program(session.desktop(), app_);
  RunConfigButton(program);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("", kBob, kPw, app_, "No"));
  EXPECT_NE(session.transcript().find("message \"TORVAmeter error\" \"The password has 21 "
                                      "characters, and the settings keep only 20"),
            std::string::npos);
}

TEST_F(SettingsTest, ConfigButtonReportsAFailedWriteAndKeepsTheValues) {
  ScriptedSession session("yes\nyes\ninput bob\ninput pw\n");
  Program program(session.desktop(), folder_.path() + "/missing/app");
  RunConfigButton(program);
  EXPECT_EQ(program.state.FarmLogin, "bob");
  EXPECT_TRUE(program.state.CheckUpdates);
  EXPECT_NE(session.transcript().find("message \"TORVAmeter error\" \"Could not write .ini "
                                      "file, your TORVA login and password have NOT been "
                                      "updated successfully!\""),
            std::string::npos);
}

TEST_F(SettingsTest, AnUnreadableLoginLineSurvivesUntilNewCredentialsAreGiven) {
  ScriptedSession session("no\nyes\ninput ann\ninput pw\n");
  Program program(session.desktop(), app_);
  const std::string damaged = ConfigText("/m/", "YgBv*AGIA", kPw, "/s/", "No");
  WriteFile(program.paths.ConfigFile, damaged);
  ASSERT_TRUE(LoadConfiguration(program));
  EXPECT_EQ(program.state.FarmPassword, "pw");
  ASSERT_TRUE(SaveConfiguration(program));  // as at a normal end
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), damaged);

  RunConfigButton(program);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile),
            ConfigText("/m/", EncodeCredential("ann"), kPw, "/s/", "No"));
}

TEST_F(SettingsTest, ALoginSavedWithWindowsLineEndsIsKept) {
  ScriptedSession session("");
  Program program(session.desktop(), app_);
  std::string crlf = ConfigText("/m/", kBob, kPw, "/s/", "No");
  for (std::size_t at = 0; (at = crlf.find('\n', at)) != std::string::npos; at += 2)
    crlf.insert(at, "\r");
  WriteFile(program.paths.ConfigFile, crlf);
  ASSERT_TRUE(LoadConfiguration(program));
  EXPECT_EQ(program.state.FarmLogin, "bob");
  EXPECT_EQ(program.state.FarmPassword, "pw");
  ASSERT_TRUE(SaveConfiguration(program));
  const std::string written = ReadFile(program.paths.ConfigFile);
  EXPECT_NE(written.find("\n" + kBob + "\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\n" + kPw + "\n"), std::string::npos) << written;
}

TEST_F(SettingsTest, ConfigButtonWithoutNewCredentialsOnlyStoresTheUpdateAnswer) {
  ScriptedSession session("yes\nno\n");
  Program program(session.desktop(), app_);
  RunConfigButton(program);
  EXPECT_EQ(ReadFile(program.paths.ConfigFile), ConfigText("", "", "", app_, "Yes"));
}

// The password is typed where others may look: it is asked for as a secret,
// the login is not.
TEST_F(SettingsTest, ThePasswordIsAskedForAsASecret) {
  using ::testing::_;
  using ::testing::Return;
  ::testing::NiceMock<MockDesktop> desktop;
  Program program(desktop, app_);
  ON_CALL(desktop, Question(_, _, _)).WillByDefault(Return(true));
  ON_CALL(desktop, ChooseFile(_, _, _, _)).WillByDefault(Return("/opt/Maxwell 5/mximerge"));
  EXPECT_CALL(desktop, Input(QuestionId::kLogin, "TORVA login", "Please enter your TORVA login:"))
      .Times(2)
      .WillRepeatedly(Return("bob"));
  EXPECT_CALL(desktop, SecretInput(QuestionId::kPassword, "TORVA password",
                                   "Please enter your TORVA password:"))
      .Times(2)
      .WillRepeatedly(Return("pw"));
  EXPECT_CALL(desktop, Input(_, "TORVA password", _)).Times(0);
  AskFirstRunQuestions(program);
  RunConfigButton(program);
  EXPECT_EQ(program.state.FarmPassword, "pw");
}

}  // namespace
}  // namespace torva
