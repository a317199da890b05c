#include "estimate/estimation_questions.h"

#include <gtest/gtest.h>

#include "testing/scripted_session.h"

namespace torva {
namespace {

TEST(ResolutionAnswer, TakesTheWholeNumberAtTheStartWithinItsBounds) {
  EXPECT_EQ(ResolutionFromAnswer("1920px"), 1920);
  EXPECT_EQ(ResolutionFromAnswer(" \t1920"), 1920);
  EXPECT_EQ(ResolutionFromAnswer("400"), 400);
  EXPECT_EQ(ResolutionFromAnswer("32768"), 32768);
  EXPECT_EQ(ResolutionFromAnswer("+800.9"), 800);
  for (const char* again : {"399", "32769", "abc", "", "-1920", "99999999999999999999999"})
    EXPECT_EQ(ResolutionFromAnswer(again), std::nullopt) << again;
}

TEST(SamplingLevelAnswer, RoundsHalfToEvenAndKeepsTenToFifty) {
  EXPECT_EQ(SamplingLevelFromAnswer("9.6"), 10);
  EXPECT_EQ(SamplingLevelFromAnswer("10.5"), 10);
  EXPECT_EQ(SamplingLevelFromAnswer("11.5"), 12);
  EXPECT_EQ(SamplingLevelFromAnswer("50.5"), 50);
  EXPECT_EQ(SamplingLevelFromAnswer("20/../../x"), 20);
  for (const char* again : {"9.49", "51", "50.51", "SL20", "", "1e400", "-20"})
    EXPECT_EQ(SamplingLevelFromAnswer(again), std::nullopt) << again;
}

TEST(AskingTheSizes, AsksAgainUntilInRangeAndEndsOnAnEmptyAnswer) {
  ScriptedSession session("input 399\ninput 32769\ninput  1920px\ninput \ncancel\n");
  EXPECT_EQ(AskResolution(session.desktop(), QuestionId::kProjectWidth, "T", "P"), 1920);
  EXPECT_EQ(AskResolution(session.desktop(), QuestionId::kProjectWidth, "T", "P"), std::nullopt);
  EXPECT_EQ(AskResolution(session.desktop(), QuestionId::kProjectWidth, "T", "P"), std::nullopt);
  EXPECT_EQ(session.transcript(),
            "input \"T\" \"P\" -> \"399\"\ninput \"T\" \"P\" -> \"32769\"\n"
            "input \"T\" \"P\" -> \" 1920px\"\ninput \"T\" \"P\" -> \"\"\n"
            "input \"T\" \"P\" -> cancel\n");
}

TEST(AskingTheSamplingLevel, KeepsTheAcceptedAnswerAsTyped) {
  ScriptedSession session("input 51\ninput 9.6 please\n");
  auto answer = AskSamplingLevel(session.desktop());
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->level, 10);
  EXPECT_EQ(answer->typed, "9.6 please");
}

}  // namespace
}  // namespace torva
