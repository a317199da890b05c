#include "watch/watched_render.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testing/files.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

using ::testing::NiceMock;
using ::testing::Return;

// A renderer that prints `lines` and then stays quiet for a minute.
ExternalProcess RendererPrinting(const TempFolder& folder, const std::string& lines) {
  const std::string script = folder.path() + "/renderer";
  WriteExecutable(script, "#!/bin/sh\nprintf '" + lines + "'\nexec sleep 60\n");
  return ExternalProcess::Launch(script, {}, folder.path());
}

Event StopClick() {
  Event click;
  click.type = EventType::kGadget;
  click.gadget = 6;
  return click;
}

struct Watching {
  RenderWatch watch;
  std::vector<std::string> panel;
  std::vector<std::string> sl_texts;
  std::vector<double> reading_seconds;

  Watching() {
    watch.stop_gadget = 6;
    watch.readings_before_stop = 2;
    watch.too_early = {"too early"};
    watch.report = [this](const std::string& text) { panel.push_back(text); };
    watch.on_reading = [this](const TimeLeftReading&, double s) { reading_seconds.push_back(s); };
    watch.on_sampling_level = [this](const std::string& sl) { sl_texts.push_back(sl); };
  }
};

TEST(WatchedRender, AStopRequestIsRefusedUntilEnoughPredictionsCame) {
  TempFolder folder;
  ExternalProcess renderer =
      RendererPrinting(folder,
                       "SL of 1.50. Elapsed 0h 0m 10s\\nTime left: 0h 10m 0s\\nnoise\\n"
                       "SL of 2.50. Elapsed 0h 0m 20s\\nTime left: 0h 9m 0s\\n");
  NiceMock<MockDesktop> desktop;
  ON_CALL(desktop, TakeEvent()).WillByDefault(Return(StopClick()));  // clicked on every pass
  Watching w;
  const WatchedRender render = WatchRender(renderer, desktop, w.watch);

  EXPECT_EQ(render.end, RunEnd::kStopped);
  EXPECT_TRUE(render.stop_requested);
  EXPECT_FALSE(render.quit);
  ASSERT_EQ(render.readings.size(), 2u);
  EXPECT_EQ(render.readings[0].WholeSeconds(), 10 + 600);
  EXPECT_EQ(render.readings[1].WholeSeconds(), 20 + 540);
  EXPECT_EQ(render.readings[1].sl_text, "2.50. Elapsed 0h 0m 20s");
  EXPECT_EQ(w.sl_texts.size(), 2u);
  EXPECT_EQ(w.reading_seconds.size(), 2u);
  // Every click before the second prediction was answered with the hint.
  ASSERT_FALSE(w.panel.empty());
  for (const std::string& line : w.panel) EXPECT_EQ(line, "too early");
}

TEST(WatchedRender, ARendererThatGoesQuietIsStoppedWithoutAUserRequest) {
  // Lines that are not predictions still show the renderer at work.
  TempFolder folder;
  const std::string script = folder.path() + "/renderer";
  WriteExecutable(script,
                  "#!/bin/sh\necho 'Time left: 0h 1m 0s'\n"
                  "for i in $(seq 15); do sleep 0.2; echo \"working $i\"; done\nexec sleep 60\n");
  ExternalProcess renderer = ExternalProcess::Launch(script, {}, folder.path());
  NiceMock<MockDesktop> desktop;
  Watching w;
  w.watch.silence_limit_ms = 2000;
  const WatchedRender render = WatchRender(renderer, desktop, w.watch);
  EXPECT_EQ(render.end, RunEnd::kStopped);
  EXPECT_TRUE(render.silenced);
  EXPECT_FALSE(render.stop_requested);
  EXPECT_EQ(render.readings.size(), 1u);
}

TEST(WatchedRender, ClosingTheMainWindowQuitsOnlyWhenTheUserConfirms) {
  for (const bool confirmed : {false, true}) {
    TempFolder folder;
    ExternalProcess renderer = RendererPrinting(folder, "Time left: 0h 1m 0s\\n");
    NiceMock<MockDesktop> desktop;
    Event close;
    close.type = EventType::kCloseWindow;
    close.window = kMainWindow;
    EXPECT_CALL(desktop, TakeEvent()).WillOnce(Return(close)).WillRepeatedly(Return(Event{}));
    Watching w;
    w.watch.silence_limit_ms = 500;  // ends the run that goes on
    int asked = 0;
    w.watch.confirm_quit = [&] { return ++asked, confirmed; };
    const WatchedRender render = WatchRender(renderer, desktop, w.watch);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(render.quit, confirmed);
    EXPECT_EQ(render.end, confirmed ? RunEnd::kCloseRequested : RunEnd::kStopped);
  }
}

TEST(WatchedRender, ClosingTheStopWindowIsAStopRequest) {
  TempFolder folder;
  ExternalProcess renderer = RendererPrinting(folder, "Time left: 0h 1m 0s\\n");
  NiceMock<MockDesktop> desktop;
  Event close;
  close.type = EventType::kCloseWindow;
  close.window = 3;
  ON_CALL(desktop, TakeEvent()).WillByDefault(Return(close));
  Watching w;
  w.watch.readings_before_stop = 1;
  w.watch.stop_window = 3;
  const WatchedRender render = WatchRender(renderer, desktop, w.watch);
  EXPECT_TRUE(render.stop_requested);
  EXPECT_EQ(render.readings.size(), 1u);
}

// A whole render shorter than the render so far is left out, counted and
// said once; the renderer's own end is told apart from a crash.
TEST(WatchedRender, ImpossiblePredictionsAreLeftOutAndACrashIsSeen) {
  TempFolder folder;
  const std::string script = folder.path() + "/renderer";
  WriteExecutable(script,
                  "#!/bin/sh\necho 'SL of 1.00. Elapsed 0h 0m 0s'\necho 'Time left: 0h 0m 9s'\n"
                  "sleep 7\necho 'Time left: 0h 0m 1s'\necho 'Time left: 0h 0m 1s'\n"
                  "kill -SEGV $$\n");
  ExternalProcess renderer = ExternalProcess::Launch(script, {}, folder.path());
  NiceMock<MockDesktop> desktop;
  Watching w;
  const WatchedRender render = WatchRender(renderer, desktop, w.watch);
  EXPECT_EQ(render.readings.size(), 1u);
  EXPECT_EQ(render.impossible_predictions, 2);
  EXPECT_EQ(w.panel, std::vector<std::string>{kImpossiblePredictionLine});
  EXPECT_TRUE(render.Crashed());
  EXPECT_EQ(EndedByText(render), "renderer crashed");
  EXPECT_EQ(CrashDetail(render), "It was ended by signal 11 (Segmentation fault).");
}

}  // namespace
}  // namespace torva
