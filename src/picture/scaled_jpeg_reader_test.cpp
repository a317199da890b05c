#include "picture/scaled_jpeg_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <jpeglib.h>
#include <cstdio>

#include "testing/jpeg.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

// A left-to-right ramp in red, top-to-bottom in green, blue constant: every
// pixel tells where it came from, so a mirrored or shifted scale shows.
std::vector<std::uint8_t> Ramp(int width, int height) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels.insert(pixels.end(), {static_cast<std::uint8_t>(255 * x / (width - 1)),
                                   static_cast<std::uint8_t>(255 * y / (height - 1)), 90});
  return pixels;
}

int LargestDifference(const Picture& a, const Picture& b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i)
    largest = std::max(largest, std::abs(a.rgb[i] - b.rgb[i]));
  return largest;
}

class ScaledJpegReaderTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.path() + "/" + name; }
  TempFolder folder_;
};

TEST_F(ScaledJpegReaderTest, GivesWhatLoadingAndScalingGiveForEverySizeOfFile) {
  ScaledJpegReader reader(120, 90);
  Picture shown;
  shown.caption = "Current SL = 3.00";
  // Enlarged, shrunk, reduced while decoding, and back: the kept buffers
  // follow each new size of file.
  for (const auto& [width, height] : {std::pair{100, 80}, {300, 200}, {800, 600}, {64, 48}}) {
    const std::string path = Path(std::to_string(width) + ".jpg");
    ASSERT_TRUE(WriteJpeg(path, width, height, 3, JCS_RGB, Ramp(width, height)));
    ASSERT_TRUE(reader.Read(path, shown)) << width;
    const std::optional<Picture> loaded = LoadJpeg(path, 120, 90);
    ASSERT_TRUE(loaded);
    const Picture expected = ScalePicture(*loaded, 120, 90);
    EXPECT_EQ(shown.width, 120);
    EXPECT_EQ(shown.height, 90);
    ASSERT_EQ(shown.rgb.size(), expected.rgb.size());
    EXPECT_LE(LargestDifference(shown, expected), 2) << width;
    EXPECT_EQ(shown.source, path);
    EXPECT_EQ(shown.caption, "Current SL = 3.00");
  }
}

TEST_F(ScaledJpegReaderTest, AGreyPictureComesOutGrey) {
  const std::string path = Path("grey.jpg");
  ASSERT_TRUE(WriteJpeg(path, 16, 16, 1, JCS_GRAYSCALE, std::vector<std::uint8_t>(256, 128)));
  ScaledJpegReader reader(32, 32);
  Picture shown;
  ASSERT_TRUE(reader.Read(path, shown));
  EXPECT_NEAR(shown.rgb[0], 128, 2);
  EXPECT_EQ(shown.rgb[0], shown.rgb[1]);
  EXPECT_EQ(shown.rgb[1], shown.rgb[2]);
}

TEST_F(ScaledJpegReaderTest, AFileItCannotReadWholeLeavesTheLastPicture) {
  const std::string good = Path("good.jpg");
  ASSERT_TRUE(WriteJpeg(good, 64, 48, 200, 10, 10));
  ScaledJpegReader reader(64, 48);
  Picture shown;
  ASSERT_TRUE(reader.Read(good, shown));
  const Picture before = shown;

  const std::string half = Path("half.jpg");
  fs::copy_file(good, half);
  fs::resize_file(half, fs::file_size(good) / 2);
  ASSERT_TRUE(WriteJpeg(Path("cmyk.jpg"), 8, 8, 4, JCS_CMYK, std::vector<std::uint8_t>(256, 60)));
  for (const std::string& bad : {half, Path("missing.jpg"), Path("cmyk.jpg"), folder_.path()}) {
    EXPECT_FALSE(reader.Read(bad, shown)) << bad;
    EXPECT_EQ(shown.rgb, before.rgb) << bad;
    EXPECT_EQ(shown.source, good) << bad;
  }
  // Its buffers survive the failures.
  ASSERT_TRUE(WriteJpeg(good, 64, 48, 10, 10, 200));
  ASSERT_TRUE(reader.Read(good, shown));
  EXPECT_GT(shown.rgb[2], 180);

  ScaledJpegReader beyond_the_limits(kMaxPictureSide + 1, 10);
  EXPECT_FALSE(beyond_the_limits.Read(good, shown));
}

}  // namespace
}  // namespace torva
