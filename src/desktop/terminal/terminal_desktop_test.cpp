#include "desktop/terminal/terminal_desktop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/interrupts.h"
#include "testing/memory_file.h"

namespace torva {
namespace {

TEST(StatusOutput, PlainLinesOneBlankForARunOfThem) {
  MemoryFile err;
  {
    StatusOutput output(err.file(), false);
    output.Line("");
    output.Line("first");
    output.Line("");
    output.Line("");
    output.Line("two\nlines");
    output.Progress(30, 60);  // a bar only a terminal shows
    output.Note("TORVAmeter warning: the\rscene");
  }
  EXPECT_EQ(err.text(), "first\n\ntwo\nlines\nTORVAmeter warning: the\nscene\n");
}

TEST(StatusOutput, ATerminalKeepsEveryLineAndRedrawsOnlyTheBar) {
  MemoryFile err;
  {
    StatusOutput output(err.file(), true, 24);
    output.Line("Estimating the time needed to reach SL=20");
    output.Progress(30, 60);
    output.Note("A message");
    output.Progress(60, 60);  // the bar's end takes it away
    output.Line("The result");
  }
  const std::string clear = "\r\033[K";
  // The bar takes 23 columns (the last one stays free) and comes back below
  // a message; the lines are folded to those columns, never cut.
  EXPECT_EQ(err.text(), "Estimating the time\n  needed to reach SL=20\n" + clear +
                            "[50%] Estimating the ti" + clear + "A message\n" + clear +
                            "[50%] Estimating the ti" + clear + "The result\n");
}

class TerminalDesktopTest : public ::testing::Test {
 protected:
  TerminalDesktopTest() : output_(err_.file(), false), desktop_(output_) {}
  MemoryFile err_;
  StatusOutput output_;
  TerminalDesktop desktop_;
};

TEST_F(TerminalDesktopTest, RepliesAreFoundByWhatTheBoxAsksWhateverItsWords) {
  using enum QuestionId;
  desktop_.AddReply({.question = kCompression, .answer = "no", .argument = "--fast"});
  desktop_.AddReply({.question = kMissingFile, .failure = "missing"});
  desktop_.AddReply({.question = kSamplingLevel, .answer = "17", .argument = "--sl"});
  desktop_.AddReply({.question = kBenchmarkNow, .answer = "no"});

  EXPECT_FALSE(desktop_.Question(kCompression, "Compression level", "Maximum compression?"));
  EXPECT_FALSE(desktop_.Question(kCompression, "Renamed", "Other words"));  // again: same
  EXPECT_EQ(desktop_.Input(kSamplingLevel, "Sampling Level", "Enter the SL"), "17");
  // An empty answer cancels, and its failure is noted once.
  EXPECT_EQ(desktop_.ChooseFile(kMissingFile, "Missing file: \"a.jpg\" is missing", "/", "*"),
            std::nullopt);
  EXPECT_EQ(desktop_.failures(), std::vector<std::string>{"missing"});
  EXPECT_FALSE(desktop_.Question(kBenchmarkNow, "Now?", "Click on the 'Benchmark' button"));
  EXPECT_EQ(err_.text(),
            "Compression level: Maximum compression? -> no (--fast)\nRenamed: Other words -> no "
            "(--fast)\n");

  // An input asked again was refused; the argument is named.
  try {
    desktop_.Input(kSamplingLevel, "Sampling Level", "Enter the SL");
    FAIL() << "a refused answer went on";
  } catch (const HeadlessStuck& stuck) {
    EXPECT_NE(stuck.message.find("refused the answer \"17\" given by --sl"), std::string::npos)
        << stuck.message;
  }
  // A box no reply knows ends the run, whatever its words.
  EXPECT_THROW(desktop_.Question(kHasAccount, "Compression level", "Maximum compression?"),
               HeadlessStuck);
}

TEST_F(TerminalDesktopTest, AQuestionWithoutAnswerFailsWithItsReason) {
  desktop_.AddReply({.question = QuestionId::kCheckUpdates, .failure = "run setup with --updates"});
  try {
    desktop_.Question(QuestionId::kCheckUpdates, "Check for updates", "Do you want ...?");
    FAIL();
  } catch (const HeadlessStuck& stuck) {
    EXPECT_EQ(stuck.message, "run setup with --updates");
  }
}

TEST_F(TerminalDesktopTest, CheckBoxesComeFromTheRuleOnce) {
  WindowLayout layout;
  layout.kind = WindowKind::kCheckBoxes;
  layout.title = "Check cameras to render (2 found)";
  layout.check_labels = {"A (x)", "B (y, active)"};
  const WindowId window = *desktop_.OpenWindow(layout);
  EXPECT_THROW(desktop_.WaitForCheckBoxes(window), HeadlessStuck);  // no rule

  std::vector<std::string> seen;
  desktop_.SetTickRule([&](const std::vector<std::string>& labels) {
    seen = labels;
    return TickAnswer{std::vector<bool>{false, true}, ""};
  });
  const WindowId second = *desktop_.OpenWindow(layout);
  EXPECT_EQ(desktop_.WaitForCheckBoxes(second), (std::vector<bool>{false, true}));
  EXPECT_EQ(seen, layout.check_labels);
  // Asked again after a refusal: no second guess.
  EXPECT_THROW(desktop_.WaitForCheckBoxes(second), HeadlessStuck);
}

TEST_F(TerminalDesktopTest, WaitingClosesTheNewestClosableWindow) {
  EXPECT_EQ(desktop_.TakeEvent().type, EventType::kNone);
  desktop_.AddLogLine(0, "one");
  EXPECT_EQ(desktop_.LogLines(), (std::vector<std::string>{"one"}));

  // Nobody looks at a window: waiting closes the newest closable one.
  WindowLayout closable;
  closable.closable = true;
  const WindowId first = *desktop_.OpenWindow(closable);
  const WindowId second = *desktop_.OpenWindow(closable);
  *desktop_.OpenWindow(WindowLayout{});  // a status window cannot be closed
  EXPECT_EQ(desktop_.WaitEvent().window, second);
  desktop_.CloseWindow(second);
  const Event next = desktop_.WaitEvent();
  EXPECT_EQ(next.type, EventType::kCloseWindow);
  EXPECT_EQ(next.window, first);
  desktop_.CloseWindow(first);
  EXPECT_THROW(desktop_.WaitEvent(), HeadlessStuck);
}

// A wait has no limit once nothing but output is awaited: an interrupt,
// even one another thread takes, ends it as the main window's close request.
TEST_F(TerminalDesktopTest, AnInterruptEndsAWaitWithoutALimit) {
  EXPECT_EXIT(
      {
        if (!CatchInterrupts()) _exit(3);
        std::thread interrupter([] {
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          std::raise(SIGTERM);
        });
        desktop_.WaitForActivity(-1, -1);
        interrupter.join();
        std::_Exit(desktop_.TakeEvent().type == EventType::kCloseWindow ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace torva
