#include "icon.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "testing/commands.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

struct Pixel {
  int a, r, g, b;
};

// The icon file read back: Cairo's ARGB32, alpha premultiplied.
class IconFile {
 public:
  explicit IconFile(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
  ~IconFile() { cairo_surface_destroy(surface_); }
  int Side() const {
    return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS
               ? cairo_image_surface_get_width(surface_)
               : 0;
  }
  Pixel At(int x, int y) const {
    std::uint32_t v = 0;
    std::memcpy(&v,
                cairo_image_surface_get_data(surface_) +
                    y * cairo_image_surface_get_stride(surface_) + x * 4,
                4);
    return {int(v >> 24), int((v >> 16) & 0xff), int((v >> 8) & 0xff), int(v & 0xff)};
  }
  // Opaque pixels near `want` (white, the logo's orange).
  int Count(Pixel want) const {
    int n = 0;
    for (int y = 0; y < Side(); ++y)
      for (int x = 0; x < Side(); ++x) {
        const Pixel p = At(x, y);
        n += p.a == 255 && std::abs(p.r - want.r) < 40 && std::abs(p.g - want.g) < 40 &&
             std::abs(p.b - want.b) < 40;
      }
    return n;
  }

 private:
  cairo_surface_t* surface_;
};

// At 48 pixels the corners are transparent, the ground opaque and dark, and
// the "T" (white) and "m" (orange) take a good part of the square.
TEST(Icon, ReadsAt48PixelsOnATransparentBackground) {
  TempFolder dir;
  const std::string path = dir.path() + "/icon.png";
  ASSERT_TRUE(WriteIcon(48, path));
  const IconFile icon(path);
  ASSERT_EQ(icon.Side(), 48);
  for (auto [x, y] : {std::pair{0, 0}, {47, 0}, {0, 47}, {47, 47}}) EXPECT_EQ(icon.At(x, y).a, 0);
  const Pixel ground = icon.At(6, 8);
  EXPECT_EQ(ground.a, 255);
  EXPECT_LT(ground.r + ground.g + ground.b, 200);
  EXPECT_GT(icon.Count({255, 255, 255, 255}), 48 * 48 / 30);
  EXPECT_GT(icon.Count({255, 0xf2, 0x8c, 0x28}), 48 * 48 / 10);
}

TEST(Icon, ToolMakesEachSizeAndRefusesOthers) {
  TempFolder dir;
  const std::string tool = ShellQuote(TM_MAKE_ICON);
  const std::string out = dir.path() + "/icon.png";
  ASSERT_EQ(RunCommand(tool + " 256 " + ShellQuote(out)).status, 0);
  EXPECT_EQ(IconFile(out).Side(), 256);
  EXPECT_EQ(RunCommand(tool + " 48 2>/dev/null").status, 2);
  EXPECT_EQ(RunCommand(tool + " 15 " + ShellQuote(out) + " 2>/dev/null").status, 1);
  EXPECT_EQ(RunCommand(tool + " 1025 " + ShellQuote(out) + " 2>/dev/null").status, 1);
  EXPECT_EQ(RunCommand(tool + " 48 /nonexistent/icon.png 2>/dev/null").status, 1);
}

}  // namespace
}  // namespace torva

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TM_ICON_TEST_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TM_ICON_TEST_ADDRESS_SANITIZER)
// As in the tool's main: fontconfig's process-long allocations are not ours
// to free. Nothing of the pictures' code (which says the same) is linked here.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
