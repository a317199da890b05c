#include "text/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace torva {
namespace {

TEST(ReadDecimal, ReadsTheNumberAtTheStart) {
  EXPECT_DOUBLE_EQ(ReadDecimal("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(ReadDecimal(" \t\n-3.25 times"), -3.25);
  EXPECT_DOUBLE_EQ(ReadDecimal("+7"), 7.0);
  EXPECT_DOUBLE_EQ(ReadDecimal(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ReadDecimal("5."), 5.0);
  EXPECT_DOUBLE_EQ(ReadDecimal("1.5e3x"), 1500.0);
  EXPECT_DOUBLE_EQ(ReadDecimal("2E-2"), 0.02);
  // The exponent mark is not part of the number without digits after it.
  EXPECT_DOUBLE_EQ(ReadDecimal("4e"), 4.0);
  EXPECT_DOUBLE_EQ(ReadDecimal("4e+x"), 4.0);
  EXPECT_DOUBLE_EQ(ReadDecimal("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(ReadDecimal("3,75"), 3.0);
}

TEST(ReadDecimal, NoNumberGivesZero) {
  for (const char* text : {"", "   ", "abc", "-", "+.", ".", "e5", "--1", "inf", "nan", "0x1p3"}) {
    EXPECT_EQ(ReadDecimal(text), 0.0) << text;
  }
}

TEST(ReadDecimal, OutOfRange) {
  EXPECT_EQ(ReadDecimal("1e999"), HUGE_VAL);
  EXPECT_EQ(ReadDecimal("-1e999999999999999999999"), -HUGE_VAL);
  EXPECT_EQ(ReadDecimal(std::string(400, '9')), HUGE_VAL);
  EXPECT_EQ(ReadDecimal("1e-999"), 0.0);
  EXPECT_EQ(ReadDecimal("0.000000000001e-999"), 0.0);
  EXPECT_EQ(ReadDecimal("0e99999"), 0.0);
}

TEST(ReadWholeNumber, ReadsDigitsAfterBlanksAndSign) {
  EXPECT_EQ(ReadWholeNumber("42"), 42);
  EXPECT_EQ(ReadWholeNumber(" \t -17abc"), -17);
  EXPECT_EQ(ReadWholeNumber("+8"), 8);
  EXPECT_EQ(ReadWholeNumber("12.9"), 12);
  EXPECT_EQ(ReadWholeNumber("007"), 7);
  // Only blanks and tabs are skipped.
  EXPECT_EQ(ReadWholeNumber("\n5"), 0);
  EXPECT_EQ(ReadWholeNumber("- 5"), 0);
  EXPECT_EQ(ReadWholeNumber(""), 0);
  EXPECT_EQ(ReadWholeNumber("x1"), 0);
}

TEST(ReadWholeNumber, SaturatesAtTheLimits) {
  EXPECT_EQ(ReadWholeNumber("9223372036854775807"), LLONG_MAX);
  EXPECT_EQ(ReadWholeNumber("9223372036854775808"), LLONG_MAX);
  EXPECT_EQ(ReadWholeNumber("-9223372036854775808"), LLONG_MIN);
  EXPECT_EQ(ReadWholeNumber("-9223372036854775809"), LLONG_MIN);
  EXPECT_EQ(ReadWholeNumber(std::string(100000, '9') + "x"), LLONG_MAX);
  EXPECT_EQ(ReadWholeNumber("-" + std::string(100000, '7')), LLONG_MIN);
}

TEST(FormatFixed, UsesAPointAndFixedDecimals) {
  EXPECT_EQ(FormatFixed(1.5, 2), "1.50");
  EXPECT_EQ(FormatFixed(12.345678, 1), "12.3");
  EXPECT_EQ(FormatFixed(2.5, 0), "2");
  EXPECT_EQ(FormatFixed(-0.004, 2), "-0.00");
  EXPECT_EQ(FormatFixed(1e20, 2), "100000000000000000000.00");
  EXPECT_EQ(FormatFixed(-1.7976931348623157e308, 2).size(), 1 + 309 + 3u);
  EXPECT_EQ(FormatFixed(3.0, -4), "3");
}

}  // namespace
}  // namespace torva
