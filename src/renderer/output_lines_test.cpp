#include "renderer/output_lines.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(ClassifyProgressLine, TimeLineBeforeSamplingLevel) {
  const ProgressLine both = ClassifyProgressLine("SL of 3.21. Time left: 0h 12m 5s");
  EXPECT_EQ(both.kind, ProgressLineKind::kTimeLeft);
  EXPECT_EQ(both.text, "0h 12m 5s");
  EXPECT_EQ(both.seconds, 725);

  const ProgressLine minutes = ClassifyProgressLine("[12:00:01] Time left: 7m 30s");
  EXPECT_EQ(minutes.kind, ProgressLineKind::kTimeLeft);
  EXPECT_EQ(minutes.seconds, 450);

  const ProgressLine level = ClassifyProgressLine("Reached SL of 4.56. Rendering");
  EXPECT_EQ(level.kind, ProgressLineKind::kSamplingLevel);
  EXPECT_EQ(level.text, "4.56. Rendering");
}

TEST(ClassifyProgressLine, MarkersAreCaseSensitive) {
  EXPECT_EQ(ClassifyProgressLine("time left: 1m").kind, ProgressLineKind::kOther);
  EXPECT_EQ(ClassifyProgressLine("sl of 3").kind, ProgressLineKind::kOther);
  EXPECT_EQ(ClassifyProgressLine("ERROR: cannot open scene").kind, ProgressLineKind::kOther);
}

TEST(ReadSamplingLevelLine, NumberAndPanelText) {
  const auto line = ReadSamplingLevelLine("Render: SL of 12.34 reached. Image updated");
  ASSERT_TRUE(line.has_value());
  EXPECT_FLOAT_EQ(line->sampling_level, 12.34f);
  EXPECT_EQ(line->panel_text, "Image updated");

  EXPECT_FALSE(ReadSamplingLevelLine("Time left: 1m").has_value());
}

TEST(ReadSamplingLevelLine, ReadingsThatAreNoLevelAreIgnored) {
  for (const char* line : {"SL of x12. more", "SL of nan. Elapsed 0h 0m 3s", "SL of 1e308. x",
                           "SL of inf. x", "SL of -2. x", "SL of . x"}) {
    EXPECT_FALSE(ReadSamplingLevelLine(line).has_value()) << line;
    EXPECT_EQ(ClassifyProgressLine(line).kind, ProgressLineKind::kOther) << line;
  }
  EXPECT_TRUE(ReadSamplingLevelLine("SL of .5. x").has_value());
}

TEST(ClassifyProgressLine, UnbelievableTimesAreIgnored) {
  EXPECT_EQ(ClassifyProgressLine("Time left: 99999999h 0m 0s").kind, ProgressLineKind::kOther);
  EXPECT_EQ(ClassifyProgressLine("Time left: 700000h").kind, ProgressLineKind::kOther);
  EXPECT_EQ(ClassifyProgressLine("Time left: -5s").kind, ProgressLineKind::kOther);
  // Unreadable text is 0 s, a time the renderer may mean.
  EXPECT_EQ(ClassifyProgressLine("Time left: soon").kind, ProgressLineKind::kTimeLeft);

  EXPECT_EQ(ClassifyProgressLine("SL of 3.00. Elapsed 0h 1m 5s").elapsed_seconds, 65);
  EXPECT_FALSE(ClassifyProgressLine("SL of 3.00. Elapsed 999999h").elapsed_seconds);
  EXPECT_FALSE(ClassifyProgressLine("SL of 3.00. Target reached").elapsed_seconds);
}

TEST(RenderProgress, PredictsTheWholeRenderFromElapsedOrClock) {
  RenderProgress progress;
  // Before any elapsed time is reported, the program's clock counts.
  progress.Take("Time left: 0h 10m 0s", 29.6);
  ASSERT_TRUE(progress.latest());
  EXPECT_EQ(progress.latest()->rendered_seconds, 30);
  EXPECT_EQ(progress.latest()->WholeSeconds(), 630);
  EXPECT_EQ(progress.latest()->sl_text, "");

  // Then the renderer's own elapsed time wins, even if the clock says otherwise.
  progress.Take("SL of 4.00. Elapsed 0h 2m 0s", 5000);
  EXPECT_EQ(progress.sl_text(), "4.00. Elapsed 0h 2m 0s");
  progress.Take("Time left: 0h 8m 0s", 5000);
  EXPECT_EQ(progress.latest()->WholeSeconds(), 600);
  EXPECT_EQ(progress.latest()->sl_text, "4.00. Elapsed 0h 2m 0s");
  EXPECT_EQ(progress.estimations(), 2);

  EXPECT_EQ(progress.latest()->sampling_level, 4.0);

  // An elapsed time that cannot be read leaves the clock to count again.
  progress.Take("SL of 5.00. Elapsed 00:03:00", 200.4);
  progress.Take("Time left: 0h 6m 0s", 200.4);
  EXPECT_EQ(progress.latest()->WholeSeconds(), 200 + 360);
  progress.Take("SL of 4.00. Elapsed 0h 2m 0s", 5000);
  progress.Take("Time left: 0h 8m 0s", 5000);

  // Readings to ignore change nothing.
  progress.Take("Time left: 99999999h", 5000);
  progress.Take("SL of nan. Elapsed 9h", 5000);
  EXPECT_EQ(progress.estimations(), 4);
  EXPECT_EQ(progress.latest()->WholeSeconds(), 600);
  EXPECT_EQ(progress.sl_text(), "4.00. Elapsed 0h 2m 0s");
}

}  // namespace
}  // namespace torva
