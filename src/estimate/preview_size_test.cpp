#include "estimate/preview_size.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

constexpr Rect kScreen{0, 0, 1920, 1080};

TEST(PreviewSize, TheProjectsAspectAt640PixelsHigh) {
  PreviewSize hd = PreviewFor(1920, 1080, kScreen);
  EXPECT_EQ(hd.window_width, 1138);  // 1137.78
  EXPECT_EQ(hd.window_height, 640);
  EXPECT_EQ(hd.picture_width, 1137);  // 1136.78
  EXPECT_EQ(hd.picture_height, 639);
  EXPECT_EQ(hd.caption_y, 616);

  PreviewSize half = PreviewFor(401, 1280, kScreen);  // 200.5: half to even
  EXPECT_EQ(half.window_width, 200);
  EXPECT_EQ(half.picture_width, 200);  // 199.5
  PreviewSize tall = PreviewFor(400, 32768, kScreen);
  EXPECT_EQ(tall.window_width, 8);
  EXPECT_EQ(tall.window_height, 640);
}

TEST(PreviewSize, AnExtremeAspectIsFittedToTheScreenKeepingIt) {
  PreviewSize wide = PreviewFor(32768, 400, kScreen);
  EXPECT_LE(wide.window_width, 1920);
  EXPECT_LE(wide.window_height, 1080);
  EXPECT_EQ(wide.window_width, 1920);
  EXPECT_NEAR(static_cast<double>(wide.window_width) / wide.window_height, 32768.0 / 400, 2.0);
  EXPECT_EQ(wide.picture_width, wide.window_width - 1);
  EXPECT_EQ(wide.picture_height, wide.window_height - 1);
  EXPECT_LT(wide.caption_y, wide.picture_height);

  PreviewSize small_screen = PreviewFor(1920, 1080, Rect{0, 0, 800, 600});
  EXPECT_EQ(small_screen.window_width, 800);
  EXPECT_EQ(small_screen.window_height, 450);
  EXPECT_EQ(small_screen.caption_y, 426);
}

}  // namespace
}  // namespace torva
