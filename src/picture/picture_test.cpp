#include "picture/picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>

#include "picture/scaled_jpeg_reader.h"
#include "testing/jpeg.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> EncodePng(int width, int height, std::uint32_t format,
                                    const std::vector<std::uint8_t>& pixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = format;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, nullptr));
  std::vector<std::uint8_t> bytes(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr));
  bytes.resize(size);
  return bytes;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Left half red, right half blue: survives JPEG with small errors.
std::vector<std::uint8_t> TwoColours(int width, int height) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      bool left = x < width / 2;
      pixels.insert(pixels.end(),
                    {std::uint8_t(left ? 220 : 10), 30, std::uint8_t(left ? 20 : 200)});
    }
  return pixels;
}

const std::uint8_t* Pixel(const Picture& p, int x, int y) {
  return p.rgb.data() + (static_cast<std::size_t>(y) * p.width + x) * 3;
}

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("picture_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST(DecodePng, ReadsRgbPixelsExactly) {
  std::vector<std::uint8_t> pixels = {255, 0, 0, 0,   255, 0,   0,   0,   255,
                                      1,   2, 3, 100, 110, 120, 250, 251, 252};
  auto picture = DecodePng(EncodePng(3, 2, PNG_FORMAT_RGB, pixels));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 3);
  EXPECT_EQ(picture->height, 2);
  EXPECT_EQ(picture->rgb, pixels);
}

TEST(DecodePng, ConvertsGreyAndPutsTransparencyOnWhite) {
  auto grey = DecodePng(EncodePng(2, 1, PNG_FORMAT_GRAY, {0, 200}));
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->rgb, (std::vector<std::uint8_t>{0, 0, 0, 200, 200, 200}));

  auto rgba = DecodePng(EncodePng(2, 1, PNG_FORMAT_RGBA, {10, 20, 30, 255, 0, 0, 0, 0}));
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->rgb, (std::vector<std::uint8_t>{10, 20, 30, 255, 255, 255}));
}

TEST(DecodePng, RefusesBrokenData) {
  EXPECT_FALSE(DecodePng({}));
  std::vector<std::uint8_t> garbage(500, 0x5a);
  EXPECT_FALSE(DecodePng(garbage));
  auto bytes = EncodePng(64, 64, PNG_FORMAT_RGB, TwoColours(64, 64));
  bytes.resize(bytes.size() / 2);
  EXPECT_FALSE(DecodePng(bytes));
}

TEST_F(PictureFiles, JpegRoundTrip) {
  auto path = dir_ / "two.jpg";
  ASSERT_TRUE(WriteJpeg(path, 64, 48, 3, JCS_RGB, TwoColours(64, 48)));
  auto picture = LoadJpeg(path.string());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 64);
  EXPECT_EQ(picture->height, 48);
  EXPECT_EQ(picture->source, path.string());
  EXPECT_NEAR(Pixel(*picture, 5, 5)[0], 220, 12);
  EXPECT_NEAR(Pixel(*picture, 5, 5)[2], 20, 12);
  EXPECT_NEAR(Pixel(*picture, 60, 40)[0], 10, 12);
  EXPECT_NEAR(Pixel(*picture, 60, 40)[2], 200, 12);
}

TEST_F(PictureFiles, ABigJpegShownSmallIsDecodedReducedButNeverBelowTheSizeAsked) {
  auto path = dir_ / "big.jpg";
  ASSERT_TRUE(WriteJpeg(path, 640, 480, 3, JCS_RGB, TwoColours(640, 480)));
  struct Case {
    int fit_width, fit_height, width, height;
  } cases[] = {{0, 0, 640, 480}, {160, 120, 160, 120}, {161, 120, 320, 240}, {100, 60, 160, 120},
               {80, 60, 80, 60}, {60, 40, 80, 60},     {640, 480, 640, 480}, {900, 700, 640, 480}};
  for (const Case& c : cases) {
    auto picture = LoadJpeg(path.string(), c.fit_width, c.fit_height);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, c.width) << c.fit_width;
    EXPECT_EQ(picture->height, c.height) << c.fit_width;
    // Still the picture: its left half red, its right half blue.
    EXPECT_NEAR(Pixel(*picture, 2, 2)[0], 220, 16);
    EXPECT_NEAR(Pixel(*picture, c.width - 3, c.height - 3)[2], 200, 16);
  }
}

TEST_F(PictureFiles, GreyJpegBecomesRgb) {
  auto path = dir_ / "grey.jpg";
  ASSERT_TRUE(WriteJpeg(path, 16, 16, 1, JCS_GRAYSCALE, std::vector<std::uint8_t>(256, 128)));
  auto picture = LoadJpeg(path.string());
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->rgb.size(), 16u * 16 * 3);
  EXPECT_NEAR(Pixel(*picture, 8, 8)[0], 128, 2);
  EXPECT_EQ(Pixel(*picture, 8, 8)[0], Pixel(*picture, 8, 8)[2]);
}

TEST_F(PictureFiles, UnusableJpegsGiveNothing) {
  EXPECT_FALSE(LoadJpeg((dir_ / "missing.jpg").string()));

  auto good = dir_ / "good.jpg";
  ASSERT_TRUE(WriteJpeg(good, 128, 128, 3, JCS_RGB, TwoColours(128, 128)));
  auto bytes = ReadAll(good);

  // A frame the renderer is still writing.
  auto truncated = dir_ / "truncated.jpg";
  WriteAll(truncated, std::span(bytes).first(bytes.size() / 2));
  EXPECT_FALSE(LoadJpeg(truncated.string()));

  auto header_only = dir_ / "header.jpg";
  WriteAll(header_only, std::span(bytes).first(20));
  EXPECT_FALSE(LoadJpeg(header_only.string()));

  auto garbage = dir_ / "garbage.jpg";
  WriteAll(garbage, std::vector<std::uint8_t>(4000, 0xa7));
  EXPECT_FALSE(LoadJpeg(garbage.string()));

  auto empty = dir_ / "empty.jpg";
  WriteAll(empty, {});
  EXPECT_FALSE(LoadJpeg(empty.string()));

  auto cmyk = dir_ / "cmyk.jpg";
  ASSERT_TRUE(WriteJpeg(cmyk, 8, 8, 4, JCS_CMYK, std::vector<std::uint8_t>(8 * 8 * 4, 60)));
  EXPECT_FALSE(LoadJpeg(cmyk.string()));
}

TEST(ScalePicture, GivesTheRequestedSizeAndKeepsFlatColour) {
  Picture flat = BlankPicture(10, 7);
  for (std::size_t i = 0; i < flat.rgb.size(); i += 3) {
    flat.rgb[i] = 40;
    flat.rgb[i + 1] = 150;
    flat.rgb[i + 2] = 230;
  }
  flat.source = "frame.jpg";
  for (auto [w, h] : {std::pair{480, 640}, {3, 2}, {10, 7}, {1, 1}}) {
    Picture scaled = ScalePicture(flat, w, h);
    ASSERT_EQ(scaled.width, w);
    ASSERT_EQ(scaled.height, h);
    ASSERT_EQ(scaled.rgb.size(), static_cast<std::size_t>(w) * h * 3);
    EXPECT_EQ(scaled.source, "frame.jpg");
    // Edges too: no darkening where the filter reaches past the border.
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, h - 1}, {w / 2, h / 2}}) {
      EXPECT_NEAR(Pixel(scaled, x, y)[0], 40, 1) << w << "x" << h;
      EXPECT_NEAR(Pixel(scaled, x, y)[1], 150, 1);
      EXPECT_NEAR(Pixel(scaled, x, y)[2], 230, 1);
    }
  }
}

TEST(ScalePicture, KeepsLayoutAndHandlesEmptySizes) {
  Picture two = BlankPicture(64, 48);
  two.rgb = TwoColours(64, 48);
  Picture half = ScalePicture(two, 32, 24);
  EXPECT_EQ(Pixel(half, 2, 2)[0], 220);
  EXPECT_EQ(Pixel(half, 30, 20)[2], 200);

  Picture none = ScalePicture(two, 0, 10);
  EXPECT_EQ(none.width, 0);
  EXPECT_TRUE(none.rgb.empty());
  Picture from_empty = ScalePicture(Picture{}, 5, 5);
  EXPECT_EQ(from_empty.rgb.size(), 75u);
}

TEST(DrawCaption, DrawsTextInItsBoxAndRecordsIt) {
  Picture picture = BlankPicture(300, 60);
  std::fill(picture.rgb.begin(), picture.rgb.end(), 128);
  DrawCaption(picture, "Current SL = 12.34", 20, 15, {255, 255, 255}, {0, 0, 0});
  EXPECT_EQ(picture.caption, "Current SL = 12.34");

  int white = 0, black = 0, min_x = 300, min_y = 60, max_y = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 300; ++x) {
      const auto* p = Pixel(picture, x, y);
      if (p[0] == 128 && p[1] == 128 && p[2] == 128) continue;
      min_x = std::min(min_x, x);
      min_y = std::min(min_y, y);
      max_y = std::max(max_y, y);
      if (p[0] >= 200) ++white;
      if (p[0] == 0) ++black;
    }
  EXPECT_GT(white, 50);
  EXPECT_GT(black, 500);
  EXPECT_EQ(min_x, 20);
  EXPECT_EQ(min_y, 15);
  EXPECT_LT(max_y, 15 + 22);  // one line of a ~14 px font

  // Redrawing the same caption changes nothing; another text does.
  Picture again = picture;
  DrawCaption(again, "Current SL = 12.34", 20, 15, {255, 255, 255}, {0, 0, 0});
  EXPECT_EQ(again.rgb, picture.rgb);
  DrawCaption(again, "Current SL = 19.99", 20, 15, {255, 255, 255}, {0, 0, 0});
  EXPECT_NE(again.rgb, picture.rgb);
  EXPECT_EQ(again.caption, "Current SL = 19.99");
}

TEST(DrawCaption, ClipsAtTheEdgeWithoutHarm) {
  Picture small = BlankPicture(30, 10);
  DrawCaption(small, "a caption much wider than the picture", 25, 5, {255, 255, 255}, {0, 0, 255});
  EXPECT_EQ(small.rgb.size(), 30u * 10 * 3);
  EXPECT_EQ(Pixel(small, 27, 5)[2], 255);  // the blue box reaches the corner
  Picture empty;
  DrawCaption(empty, "x", 0, 0, {}, {});
  EXPECT_EQ(empty.caption, "x");
}

// A picture made by hand, past what Cairo can take: decoding refuses such
// sizes, but a caller may still build one.
Picture Oversized(int width, int height) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(static_cast<std::size_t>(width) * height * 3, 90);
  return picture;
}

TEST(PictureLimits, SizesPastTheLimitsAreRefusedNotCrashedOn) {
  EXPECT_FALSE(
      DecodePng(EncodePng(32768, 1, PNG_FORMAT_RGB, std::vector<std::uint8_t>(32768 * 3, 7))));
  auto widest = DecodePng(EncodePng(kMaxPictureSide, 1, PNG_FORMAT_RGB,
                                    std::vector<std::uint8_t>(kMaxPictureSide * 3, 7)));
  ASSERT_TRUE(widest);
  EXPECT_EQ(ScalePicture(*widest, 1, 1).rgb, (std::vector<std::uint8_t>{7, 7, 7}));

  Picture flat = BlankPicture(4, 4);
  for (auto [w, h] : {std::pair{32768, 1},
                      {1, 32768},
                      {INT_MAX, INT_MAX},
                      {100000, 100000},
                      {kMaxPictureSide, kMaxPictureSide}}) {
    const Picture scaled = ScalePicture(flat, w, h);
    EXPECT_EQ(scaled.width, 0) << w << "x" << h;
    EXPECT_TRUE(scaled.rgb.empty());
    EXPECT_TRUE(BlankPicture(w, h).rgb.empty());
  }
  EXPECT_EQ(ScalePicture(flat, kMaxPictureSide, 2).rgb.size(), kMaxPictureSide * 2u * 3);
}

TEST(PictureLimits, AHandMadeOversizedPictureFailsSoftly) {
  const Picture big = Oversized(32768, 1);
  const Picture scaled = ScalePicture(big, 1, 1);
  EXPECT_EQ(scaled.width, 1);  // the source is unusable: a blank picture
  EXPECT_EQ(scaled.rgb, (std::vector<std::uint8_t>{0, 0, 0}));
  Picture captioned = big;
  DrawCaption(captioned, "Current SL = 1.00", 0, 0, {255, 255, 255}, {0, 0, 0});
  EXPECT_EQ(captioned.rgb, big.rgb);
  EXPECT_EQ(captioned.caption, "Current SL = 1.00");
}

TEST(PictureLimits, APngChunkClaimingMoreThanTheFileHoldsIsRefusedCheaply) {
  auto bytes = EncodePng(16, 8, PNG_FORMAT_RGB, TwoColours(16, 8));
  // A text chunk after the header whose length claims 1.7 GB.
  const std::uint8_t chunk[] = {0x69, 0x66, 0x6f, 0x25, 't', 'E', 'X', 't', 'a', 'b', 'c', 'd'};
  bytes.insert(bytes.begin() + 33, std::begin(chunk), std::end(chunk));
  EXPECT_EXIT(
      {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const bool refused = !DecodePng(bytes);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        std::_Exit(refused && after.ru_maxrss - before.ru_maxrss < 50 * 1024 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// A real JPEG whose frame header is changed to claim another size.
std::vector<std::uint8_t> JpegClaiming(const fs::path& dir, int width, int height) {
  const auto path = dir / "small.jpg";
  if (!WriteJpeg(path, 16, 8, 3, JCS_RGB, TwoColours(16, 8))) return {};
  auto bytes = ReadAll(path);
  for (std::size_t i = 0; i + 8 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // SOF0: length, precision, height, width
      bytes[i + 5] = static_cast<std::uint8_t>(height >> 8);
      bytes[i + 6] = static_cast<std::uint8_t>(height);
      bytes[i + 7] = static_cast<std::uint8_t>(width >> 8);
      bytes[i + 8] = static_cast<std::uint8_t>(width);
      break;
    }
  return bytes;
}

TEST_F(PictureFiles, AJpegClaimingAnAbsurdSizeIsRefusedBeforeDecoding) {
  const auto wide = dir_ / "wide.jpg";
  WriteAll(wide, JpegClaiming(dir_, 41479, 5));
  EXPECT_FALSE(LoadJpeg(wide.string()));

  // Within the limits, but a few hundred bytes cannot hold 64 million pixels.
  const auto huge = dir_ / "huge.jpg";
  WriteAll(huge, JpegClaiming(dir_, 16000, 4000));
  EXPECT_EXIT(
      {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const bool refused = !LoadJpeg(huge.string());
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        std::_Exit(refused && after.ru_maxrss - before.ru_maxrss < 50 * 1024 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");

  // The same change to a size the data can hold still loads.
  const auto same = dir_ / "same.jpg";
  WriteAll(same, JpegClaiming(dir_, 16, 8));
  EXPECT_TRUE(LoadJpeg(same.string()));
}

// A header claiming 64 million pixels over a file with 1 bit per block (as
// flat pictures with tailored tables have) would unpack to 192 MB: refused
// before decoding. A black render of the benchmark's size still loads.
TEST_F(PictureFiles, AJpegUnpackingToFarMoreThanItsFileIsRefused) {
  const auto flat = dir_ / "flat.jpg";
  std::vector<std::uint8_t> bytes = JpegClaiming(dir_, 16000, 4000);
  bytes.resize(16000 / 8 * 4000 / 8 / 8 + 1000, 0);  // past one bit per block
  WriteAll(flat, bytes);
  EXPECT_EXIT(
      {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const bool refused = !LoadJpeg(flat.string());
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        std::_Exit(refused && after.ru_maxrss - before.ru_maxrss < 50 * 1024 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");

  const auto black = dir_ / "black.jpg";
  ASSERT_TRUE(
      WriteJpeg(black, 1536, 2048, 3, JCS_RGB, std::vector<std::uint8_t>(1536 * 2048 * 3, 0)));
  const std::optional<Picture> loaded = LoadJpeg(black.string());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->width, 1536);
}

// The renderer's picture path taken by a FIFO or a link: refused, never
// waited on, by the preview's reader and by a whole load alike.
TEST_F(PictureFiles, AFifoOrALinkInThePlaceOfThePictureIsRefusedAtOnce) {
  const std::string fifo = (dir_ / "fifo.jpg").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto read = std::async(std::launch::async, [&] {
    Picture shown;
    return LoadJpeg(fifo).has_value() || ScaledJpegReader(8, 8).Read(fifo, shown);
  });
  if (read.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "waits for a writer";
    while (read.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
      ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  }
  EXPECT_FALSE(read.get());

  const fs::path good = dir_ / "good.jpg", link = dir_ / "link.jpg";
  ASSERT_TRUE(WriteJpeg(good, 16, 16, 3, JCS_RGB, TwoColours(16, 16)));
  fs::create_symlink(good, link);
  EXPECT_TRUE(LoadJpeg(good.string()));
  EXPECT_FALSE(LoadJpeg(link.string()));
}

}  // namespace
}  // namespace torva
