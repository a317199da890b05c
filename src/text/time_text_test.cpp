#include "text/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace torva {
namespace {

TEST(ParseTimeText, RendererTexts) {
  EXPECT_EQ(ParseTimeText("2h 5m 0s"), 7500);
  EXPECT_EQ(ParseTimeText("0h 12m 5s"), 725);
  EXPECT_EQ(ParseTimeText("7m 30s"), 450);
  EXPECT_EQ(ParseTimeText("45s"), 45);
  EXPECT_EQ(ParseTimeText("1h"), 3600);
  EXPECT_EQ(ParseTimeText(""), 0);
  EXPECT_EQ(ParseTimeText("1h 2m 3s left, SL 12"), 3723);
  EXPECT_EQ(ParseTimeText("27h46m40s"), 100000);
}

TEST(ParseTimeText, OtherFormsAndGarbage) {
  EXPECT_EQ(ParseTimeText("00:12:05"), 0);
  EXPECT_EQ(ParseTimeText("hms"), 0);
  EXPECT_EQ(ParseTimeText("\xff\x80h\x00m"), 0);
  // Without "s" the seconds are 0; without "h" the minutes are read from the start.
  EXPECT_EQ(ParseTimeText("1h 2m 3"), 3720);
  EXPECT_EQ(ParseTimeText("5s 3m"), 300);
  // Without "m" the seconds are read from the start too, so here they are 2.
  EXPECT_EQ(ParseTimeText("2h 9s"), 7202);
  // Seconds are read after the first "m" of the whole text.
  EXPECT_EQ(ParseTimeText("1h 2m 3s 4m"), 3723);
  EXPECT_EQ(ParseTimeText("-1h-2m-3s"), -3723);
}

TEST(ParseTimeText, ReadsIn64BitsAndSaturates) {
  // 600000h = 2160000000 s, past INT32_MAX: it once wrapped to a negative time.
  EXPECT_EQ(ParseTimeText("600000h"), 2160000000LL);
  EXPECT_EQ(ParseTimeText("99999999h 0m 0s"), 359999996400LL);
  EXPECT_EQ(ParseTimeText("1193046h28m16s"), 4294967296LL);
  EXPECT_EQ(ParseTimeText(std::string(5000, '9') + "h" + std::string(5000, '9') + "m-" +
                          std::string(5000, '9') + "s"),
            std::numeric_limits<int64_t>::max());
  EXPECT_EQ(ParseTimeText("-" + std::string(30, '9') + "h"), std::numeric_limits<int64_t>::min());
}

TEST(BelievableSeconds, TenYearsAtMostAndNeverNegative) {
  EXPECT_TRUE(BelievableSeconds(0));
  EXPECT_TRUE(BelievableSeconds(ParseTimeText("87840h")));  // 3660 days
  EXPECT_FALSE(BelievableSeconds(ParseTimeText("87841h")));
  EXPECT_FALSE(BelievableSeconds(ParseTimeText("700000h")));
  EXPECT_FALSE(BelievableSeconds(-1));
}

TEST(ScaleSeconds, DividesAndFormats) {
  EXPECT_EQ(ScaleSeconds(7500, 12.5f), "0h10m0s");
  EXPECT_EQ(ScaleSeconds(3600, 1.0f), "1h0m0s");
  EXPECT_EQ(ScaleSeconds(100000, 1.0f), "27h46m40s");
  EXPECT_EQ(ScaleSeconds(0, 3.0f), "0h0m0s");
  EXPECT_EQ(ScaleSeconds(3600, 0.5f), "2h0m0s");
}

TEST(ScaleSeconds, RoundsHalfToEven) {
  EXPECT_EQ(ScaleSeconds(10, 4.0f), "0h0m2s");    // 2.5
  EXPECT_EQ(ScaleSeconds(14, 4.0f), "0h0m4s");    // 3.5
  EXPECT_EQ(ScaleSeconds(11, 4.0f), "0h0m3s");    // 2.75
  EXPECT_EQ(ScaleSeconds(-10, 4.0f), "0h0m-2s");  // -2.5
  EXPECT_EQ(ScaleSeconds(5, -2.0f), "0h0m-2s");   // -2.5
}

TEST(ScaleSeconds, DegenerateRatiosDoNotFail) {
  const float tiny = std::numeric_limits<float>::denorm_min();
  EXPECT_EQ(ScaleSeconds(10, tiny), "2562047788015215h30m7s");  // INT64_MAX seconds
  EXPECT_EQ(ScaleSeconds(-10, tiny), "-2562047788015215h-30m-8s");
  EXPECT_EQ(ScaleSeconds(10, 0.0f), "2562047788015215h30m7s");
  EXPECT_EQ(ScaleSeconds(0, 0.0f), "0h0m0s");
  EXPECT_EQ(ScaleSeconds(10, std::nanf("")), "0h0m0s");
  EXPECT_EQ(ScaleSeconds(10, std::numeric_limits<float>::infinity()), "0h0m0s");
}

TEST(ScaleSeconds, ReadsBackAsTheScaledSeconds) {
  const char* texts[] = {"0h 0m 0s",  "59s",          "1h 0m 1s",   "3h 59m 59s",
                         "27h46m40s", "596523h14m7s", "-5h -3m -1s"};
  const float ratios[] = {1.0f, 0.37f, 2.5f, 12.5f, 1000.0f, -3.0f};
  for (const char* text : texts) {
    for (const float ratio : ratios) {
      const std::string scaled = ScaleSeconds(ParseTimeText(text), ratio);
      const double expected =
          std::nearbyint(static_cast<double>(ParseTimeText(text)) / static_cast<double>(ratio));
      EXPECT_EQ(ParseTimeText(scaled), static_cast<int64_t>(expected)) << text << " / " << ratio;
    }
  }
}

}  // namespace
}  // namespace torva
