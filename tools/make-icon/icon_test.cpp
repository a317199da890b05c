#include "icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testing/commands.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

constexpr Colour kBackground{10, 20, 30};
constexpr Colour kMark{250, 250, 250};

// A `width` x `height` logo on kBackground with a kMark block over the middle
// half of each side.
Picture TestLogo(int width, int height) {
  Picture logo = BlankPicture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool mark =
          x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4;
      const Colour c = mark ? kMark : kBackground;
      std::uint8_t* p = &logo.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
  }
  return logo;
}

::testing::AssertionResult PixelIs(const Picture& picture, int x, int y, Colour c) {
  const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  if (p[0] == c.r && p[1] == c.g && p[2] == c.b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << int(p[0]) << ","
                                       << int(p[1]) << "," << int(p[2]);
}

TEST(Icon, WideLogoFitsTheWidthCentredOnItsBackground) {
  // 64: a margin of 4 each side, the logo 56 x 14 from row 25.
  const Picture icon = IconFromLogo(TestLogo(40, 10), 64);
  ASSERT_EQ(icon.width, 64);
  ASSERT_EQ(icon.height, 64);
  ASSERT_EQ(icon.rgb.size(), 64u * 64 * 3);
  for (auto [x, y] :
       {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}, {2, 32}, {61, 32}, {32, 20}, {32, 42}})
    EXPECT_TRUE(PixelIs(icon, x, y, kBackground));
  EXPECT_TRUE(PixelIs(icon, 32, 32, kMark));
  // The mark spans the scaled logo's middle half: 28 of its 56 columns.
  EXPECT_TRUE(PixelIs(icon, 20, 32, kMark));
  EXPECT_TRUE(PixelIs(icon, 44, 32, kMark));
  EXPECT_TRUE(PixelIs(icon, 10, 32, kBackground));
  EXPECT_TRUE(PixelIs(icon, 54, 32, kBackground));
}

TEST(Icon, TallLogoFitsTheHeight) {
  const Picture icon = IconFromLogo(TestLogo(10, 40), 128);
  ASSERT_EQ(icon.width, 128);
  ASSERT_EQ(icon.height, 128);
  EXPECT_TRUE(PixelIs(icon, 64, 64, kMark));
  EXPECT_TRUE(PixelIs(icon, 64, 40, kMark));
  EXPECT_TRUE(PixelIs(icon, 40, 64, kBackground));
  EXPECT_TRUE(PixelIs(icon, 64, 2, kBackground));
}

TEST(Icon, NothingForAnUnusableLogoOrSize) {
  const Picture logo = TestLogo(40, 10);
  EXPECT_EQ(IconFromLogo(logo, 15).width, 0);
  EXPECT_EQ(IconFromLogo(logo, 1025).width, 0);
  EXPECT_EQ(IconFromLogo(logo, -48).width, 0);
  EXPECT_EQ(IconFromLogo(Picture{}, 48).width, 0);
  Picture cut = logo;
  cut.rgb.resize(cut.rgb.size() - 3);
  EXPECT_EQ(IconFromLogo(cut, 48).width, 0);
  EXPECT_EQ(IconFromLogo(logo, 16).width, 16);
  EXPECT_EQ(IconFromLogo(logo, 1024).width, 1024);
}

TEST(Icon, ToolMakesAnIconFileFromTheProjectsLogo) {
  TempFolder dir;
  const std::string tool = ShellQuote(TM_MAKE_ICON);
  const std::string logo = ShellQuote(std::string(TM_SOURCE_DIR) + "/assets/logo.png");
  const std::string out = dir.path() + "/icon.png";
  ASSERT_EQ(RunCommand(tool + " " + logo + " 48 " + ShellQuote(out)).status, 0);
  std::ifstream in(out, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  const std::optional<Picture> icon = DecodePng(bytes);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->width, 48);
  EXPECT_EQ(icon->height, 48);

  EXPECT_EQ(RunCommand(tool + " " + logo + " 48 2>/dev/null").status, 2);
  EXPECT_EQ(RunCommand(tool + " /nonexistent.png 48 " + ShellQuote(out) + " 2>/dev/null").status,
            1);
  EXPECT_EQ(RunCommand(tool + " " + logo + " 4 " + ShellQuote(out) + " 2>/dev/null").status, 1);
  EXPECT_EQ(RunCommand(tool + " " + logo + " 48 /nonexistent/icon.png 2>/dev/null").status, 1);
}

}  // namespace
}  // namespace torva
