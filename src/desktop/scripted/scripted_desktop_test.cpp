#include "desktop/scripted/scripted_desktop.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "desktop/buttons_disabled.h"
#include "testing/memory_file.h"

namespace torva {
namespace {

struct ProgramEndedForTest {};

// Runs a desktop over an answer text and collects its transcript.
class ScriptedDesktopTest : public ::testing::Test {
 protected:
  void Start(const std::string& answer_text) {
    AnswerFile file = ParseAnswers(answer_text);
    ASSERT_EQ(file.error, "");
    desktop_.emplace(file.answers, out_.file());
  }
  std::string Transcript() { return out_.text(); }
  void TearDown() override { desktop_.reset(); }
  ScriptedDesktop& desktop() { return *desktop_; }

 private:
  MemoryFile out_;
  std::optional<ScriptedDesktop> desktop_;
};

TEST(AnswersTest, ParsesEveryKindAndSkipsBlankAndCommentLines) {
  AnswerFile file = ParseAnswers(
      "# comment\n\nyes\nno\nfile /a b/c.mxs\ncancel\ninput  two blanks\ninput\n"
      "press 6\npress 7 after Time left: 1h\ntick 1 3\ntick\nclose\nclose after SL of 3\n");
  ASSERT_EQ(file.error, "");
  ASSERT_EQ(file.answers.size(), 12u);
  EXPECT_EQ(file.answers[2].text, "/a b/c.mxs");
  EXPECT_EQ(file.answers[4].text, " two blanks");  // only one blank is dropped
  EXPECT_EQ(file.answers[5].text, "");
  EXPECT_FALSE(file.answers[6].after);
  EXPECT_EQ(file.answers[7].gadget, 7);
  EXPECT_EQ(file.answers[7].text, "Time left: 1h");
  EXPECT_EQ(file.answers[8].ticks, (std::vector<int>{1, 3}));
  EXPECT_TRUE(file.answers[9].ticks.empty());
  EXPECT_FALSE(file.answers[10].after);
  EXPECT_EQ(file.answers[11].kind, Answer::Kind::kClose);
  EXPECT_TRUE(file.answers[11].after);
  EXPECT_EQ(file.answers[11].text, "SL of 3");
}

TEST(AnswersTest, RejectsMalformedLines) {
  for (const char* bad :
       {"maybe\n", "press\n", "press x\n", "press 6 before X\n", "press 6 after\n", "tick 0\n",
        "tick a\n", "file\n", "yes please\n", "close now\n", "close after\n", "close after \n"}) {
    EXPECT_NE(ParseAnswers(bad).error, "") << bad;
  }
}

TEST_F(ScriptedDesktopTest, AnswersBoxesInOrderAndQuotesTexts) {
  Start("yes\ninput a\"b\\c\nfile /x y.mxs\ncancel\n");
  desktop().Message("T", "line1\nline2\r\ttab");
  EXPECT_TRUE(desktop().Question(QuestionId::kCompression, "Q", "Sure?"));
  EXPECT_EQ(desktop().Input(QuestionId::kLogin, "I", "Name:"), "a\"b\\c");
  EXPECT_EQ(desktop().ChooseFile(QuestionId::kScene, "F", "/start", "*.*|*.*"), "/x y.mxs");
  EXPECT_EQ(desktop().ChooseFile(QuestionId::kScene, "F", "/start", "*.*|*.*"), std::nullopt);
  EXPECT_EQ(Transcript(),
            "message \"T\" \"line1\\nline2\\r\\ttab\"\n"
            "question \"Q\" \"Sure?\" -> yes\n"
            "input \"I\" \"Name:\" -> \"a\\\"b\\\\c\"\n"
            "file \"F\" \"/start\" \"*.*|*.*\" -> \"/x y.mxs\"\n"
            "file \"F\" \"/start\" \"*.*|*.*\" -> cancel\n");
}

TEST_F(ScriptedDesktopTest, ControlBytesCannotCutOrGarbleATranscriptLine) {
  using namespace std::string_literals;
  Start("");
  desktop().Message("T", "Engine version 1.0\0tail"s);
  desktop().Message("T", "\x01\x1b[2J\x7f\x80\xc3\xa9"s);
  EXPECT_EQ(Transcript(),
            "message \"T\" \"Engine version 1.0\\x00tail\"\n"
            "message \"T\" \"\\x01\\x1b[2J\\x7f\x80\xc3\xa9\"\n");
}

TEST_F(ScriptedDesktopTest, AWrongKindOfAnswerIsStuck) {
  Start("file /x\n");
  EXPECT_THROW(desktop().Question(QuestionId::kCompression, "Q", "Sure?"), ScriptStuck);
  EXPECT_EQ(Transcript(), "stuck \"question \\\"Q\\\" \\\"Sure?\\\"\"\n");
}

TEST_F(ScriptedDesktopTest, UsedUpAnswersAreStuckWhenWaitingButNotWhenTaking) {
  Start("");
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
  EXPECT_THROW(desktop().WaitEvent(), ScriptStuck);
}

TEST_F(ScriptedDesktopTest, PressAfterWaitsForItsLogLine) {
  Start("press 6 after Time left\n");
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
  desktop().AddLogLine(0, "Estimating...");
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
  desktop().AddLogLine(1, "Time left: 2h");
  Event event = desktop().TakeEvent();
  EXPECT_EQ(event.type, EventType::kGadget);
  EXPECT_EQ(event.gadget, 6);
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
}

TEST_F(ScriptedDesktopTest, CloseAfterWaitsForItsTextAnywhereInTheTranscript) {
  Start("close after SL of 2\nclose after done\nclose\n");
  // "done" shows before its answer is next: it does not count for it.
  desktop().AddLogLine(0, "SL of 1.5 done");
  desktop().Message("Estimate", "SL of 1");
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
  desktop().SetLogLine(0, "SL of 2.00");
  Event event = desktop().TakeEvent();
  EXPECT_EQ(event.type, EventType::kCloseWindow);
  EXPECT_EQ(event.window, kMainWindow);

  // The newest closable window gets the request; a plain "close" is left
  // for WaitEvent.
  WindowLayout preview{WindowKind::kPicture, "Preview", 480, 640, {}, {}, true, {}};
  WindowLayout status{WindowKind::kStatus, "Wait", 300, 0, {}, {}, false, {}};
  const WindowId id = *desktop().OpenWindow(preview);
  desktop().OpenWindow(status);
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
  desktop().Message("Estimate", "done");
  event = desktop().TakeEvent();
  EXPECT_EQ(event.type, EventType::kCloseWindow);
  EXPECT_EQ(event.window, id);
  EXPECT_EQ(desktop().TakeEvent().type, EventType::kNone);
  EXPECT_EQ(desktop().WaitEvent().type, EventType::kCloseWindow);
}

TEST_F(ScriptedDesktopTest, ButtonsComeBackOnEveryWayOut) {
  Start("");
  try {
    ButtonsDisabled greyed(desktop(), kBenchmark);
    throw ProgramEndedForTest{};
  } catch (const ProgramEndedForTest&) {
  }
  EXPECT_EQ(Transcript(), "disable 6\nenable 6\n");
}

TEST_F(ScriptedDesktopTest, PanelLinesAreReportedWhereTheyStand) {
  Start("");
  desktop().AddLogLine(1, "a");
  desktop().AddLogLine(5, "b\nc");  // past the end: appended
  desktop().AddLogLine(0, "first");
  desktop().SetLogLine(2, "B");
  desktop().ClearLog();
  desktop().Finish(0);
  EXPECT_EQ(Transcript(),
            "log 0 \"a\"\nlog 1 \"b\"\nlog 2 \"c\"\nlog 0 \"first\"\nset 2 \"B\"\n"
            "panel \"first\"\npanel \"a\"\npanel \"B\"\npanel \"c\"\nclear\nexit 0\n");
}

TEST_F(ScriptedDesktopTest, DisabledButtonsGiveNoClicks) {
  Start("press 8\npress 6\n");
  desktop().DisableButtons(6);
  Event event = desktop().WaitEvent();  // the press on 8 is swallowed
  EXPECT_EQ(event.gadget, 6);
  EXPECT_NE(Transcript().find("disable 6\n"), std::string::npos);
}

TEST_F(ScriptedDesktopTest, CloseGoesToTheNewestClosableWindow) {
  Start("close\ntick 2\nclose\n");
  WindowLayout result{WindowKind::kPicture, "Result", 1050, 700, 0, 20, true, {}};
  WindowId id = *desktop().OpenWindow(result);
  Event event = desktop().WaitEvent();
  EXPECT_EQ(event.type, EventType::kCloseWindow);
  EXPECT_EQ(event.window, id);
  desktop().CloseWindow(id);

  WindowLayout boxes{WindowKind::kCheckBoxes, "Cams", 290, 100, {}, {}, false, {"a", "b"}};
  WindowId cams = *desktop().OpenWindow(boxes);
  EXPECT_EQ(desktop().WaitForCheckBoxes(cams), (std::vector<bool>{false, true}));
  desktop().CloseWindow(cams);
  EXPECT_EQ(desktop().WaitEvent().window, kMainWindow);
  EXPECT_EQ(Transcript(),
            "window \"Result\" 1050 700\nclosewin \"Result\"\n"
            "window \"Cams\" 290 100\nclosewin \"Cams\"\n");
}

// "cancel" is the window's Cancel button, "close" its close box; a "close
// after TEXT" waits for its text like everywhere else.
TEST_F(ScriptedDesktopTest, CancelOrCloseAtTheCheckBoxesGiveNoTicks) {
  Start("cancel\nclose\nclose after never shown\n");
  WindowLayout boxes{WindowKind::kCheckBoxes, "Cams", 290, 100, {}, {}, false, {"a", "b"}};
  WindowId cams = *desktop().OpenWindow(boxes);
  EXPECT_EQ(desktop().WaitForCheckBoxes(cams), std::nullopt);
  EXPECT_EQ(desktop().WaitForCheckBoxes(cams), std::nullopt);
  EXPECT_THROW(desktop().WaitForCheckBoxes(cams), ScriptStuck);
}

TEST_F(ScriptedDesktopTest, TickingABoxThatDoesNotExistIsStuck) {
  Start("tick 3\n");
  WindowLayout boxes{WindowKind::kCheckBoxes, "Cams", 290, 100, {}, {}, false, {"a", "b"}};
  WindowId cams = *desktop().OpenWindow(boxes);
  EXPECT_THROW(desktop().WaitForCheckBoxes(cams), ScriptStuck);
}

}  // namespace
}  // namespace torva
