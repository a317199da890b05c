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

  const auto letter = ReadSamplingLevelLine("SL of x12. more");
  ASSERT_TRUE(letter.has_value());
  EXPECT_EQ(letter->sampling_level, 0.0f);

  EXPECT_FALSE(ReadSamplingLevelLine("Time left: 1m").has_value());
}

}  // namespace
}  // namespace torva
