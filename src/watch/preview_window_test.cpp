#include "watch/preview_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "testing/jpeg.h"
#include "testing/mock_desktop.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

constexpr WindowId kPreview = 5;
const RereadPace kEveryChange{std::chrono::milliseconds(0), 0};

struct Shown {
  std::string source, caption;
  int width = 0;
  std::uint8_t first_red = 0;
};

class PreviewWindowTest : public ::testing::Test {
 protected:
  PreviewWindowTest() : picture_(folder_.path() + "/scene.jpg") {
    ON_CALL(desktop_, MainWindowFrame()).WillByDefault(Return(Rect{100, 100, 440, 640}));
    ON_CALL(desktop_, ScreenArea()).WillByDefault(Return(Rect{0, 0, 1280, 1024}));
    ON_CALL(desktop_, OpenWindow(_)).WillByDefault(Return(kPreview));
    ON_CALL(desktop_, ShowPicture(kPreview, 0, 0, _))
        .WillByDefault([this](WindowId, int, int, const Picture& p) {
          shown_.push_back(
              {p.source, p.caption, p.width, p.rgb.empty() ? std::uint8_t{0} : p.rgb[0]});
          overlay_ = p.overlay.has_value();
        });
  }

  PreviewLayout Layout() const {
    PreviewLayout layout;
    layout.title = "preview";
    layout.window_width = layout.picture_width = 60;
    layout.window_height = layout.picture_height = 80;
    layout.caption_x = 4;
    layout.caption_y = 60;
    return layout;
  }

  TempFolder folder_;
  std::string picture_;
  NiceMock<MockDesktop> desktop_;
  std::vector<Shown> shown_;
  bool overlay_ = false;
};

TEST_F(PreviewWindowTest, AnUnchangedPictureIsNotDecodedAgainWhileItsCaptionChanges) {
  ASSERT_TRUE(WriteJpeg(picture_, 30, 40, 250, 0, 0));
  PreviewWindow preview(desktop_, Layout(), picture_, kEveryChange);
  const long long before = DecodedJpegCount();
  preview.Refresh("Current SL = 1.00");
  preview.Refresh("Current SL = 2.00");
  preview.Refresh("Current SL = 3.00");
  EXPECT_EQ(DecodedJpegCount() - before, 1);
  ASSERT_EQ(shown_.size(), 3u);  // one picture per reading, each with its caption
  EXPECT_EQ(shown_[2].caption, "Current SL = 3.00");
  EXPECT_EQ(shown_[2].source, picture_);
  EXPECT_EQ(shown_[2].width, 60);  // scaled to the window
  EXPECT_TRUE(overlay_);           // drawn over the pixels, not into them

  // The renderer writes a new picture beside and renames it over the old one.
  const std::string next = folder_.path() + "/next.jpg";
  ASSERT_TRUE(WriteJpeg(next, 30, 40, 0, 0, 250));
  std::filesystem::rename(next, picture_);
  preview.Refresh("Current SL = 4.00");
  EXPECT_EQ(DecodedJpegCount() - before, 2);
  EXPECT_LT(shown_.back().first_red, 50);
}

// The commands without a window open it too (closing it may stop them).
TEST_F(PreviewWindowTest, NothingIsDecodedWhereNobodySeesPictures) {
  ASSERT_TRUE(WriteJpeg(picture_, 30, 40, 250, 0, 0));
  desktop_.shows_pictures = false;
  PreviewWindow preview(desktop_, Layout(), picture_, kEveryChange);
  const long long before = DecodedJpegCount();
  preview.Refresh("Current SL = 1.00");
  EXPECT_EQ(DecodedJpegCount(), before);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(PreviewWindowTest, AChangedPictureWaitsForTheRereadInterval) {
  ASSERT_TRUE(WriteJpeg(picture_, 30, 40, 250, 0, 0));
  PreviewWindow preview(desktop_, Layout(), picture_, {std::chrono::hours(1), 0});
  preview.Refresh("Current SL = 1.00");
  ASSERT_TRUE(WriteJpeg(picture_, 30, 41, 0, 0, 250));
  const long long before = DecodedJpegCount();
  preview.Refresh("Current SL = 2.00");
  EXPECT_EQ(DecodedJpegCount(), before);
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_GT(shown_.back().first_red, 200);  // still the first picture
}

// Beside the main window when the screen has room, else below or left of
// it; else scaled into the largest of those rooms, its frame off the main
// window's (a 1-pixel border and a 20-pixel title bar here).
TEST(PlacePreview, NeverCoversTheMainWindow) {
  const Margins m{1, 1, 20, 1};
  const Rect main{100, 40, 440, 640};
  const PreviewPlace beside = PlacePreview(main, {0, 0, 1920, 1080}, m, 480, 640);
  EXPECT_EQ(std::tie(beside.x, beside.y, beside.scale), std::make_tuple(547, 40, 1.0));
  const PreviewPlace below = PlacePreview(main, {0, 0, 1000, 1600}, m, 480, 640);
  EXPECT_EQ(std::tie(below.x, below.y), std::make_tuple(100, 40 + 640 + 1 + 7 + 20));
  const PreviewPlace left = PlacePreview({600, 40, 440, 640}, {0, 0, 1100, 768}, m, 480, 640);
  EXPECT_EQ(std::tie(left.x, left.scale), std::make_tuple(600 - 1 - 7 - 1 - 480, 1.0));
  // 1024 x 768, the main window centred: 284 x 747 beside it, 282 x 747 left.
  const PreviewPlace scaled = PlacePreview({292, 84, 440, 640}, {0, 0, 1024, 768}, m, 480, 640);
  EXPECT_DOUBLE_EQ(scaled.scale, 284.0 / 480);
  EXPECT_EQ(scaled.x, 292 + 440 + 7);
  // A widened main window leaves 116 pixels: rather than a stamp, half the
  // preview over the main window's lower part.
  const PreviewPlace over = PlacePreview({60, 84, 840, 640}, {0, 0, 1024, 768}, m, 480, 640);
  EXPECT_DOUBLE_EQ(over.scale, 0.5);
  EXPECT_EQ(std::tie(over.x, over.y), std::make_tuple(60 + 840 - 240, 84 + 320));
  // A wide estimation preview that would be 284 x 160 beside it, likewise.
  EXPECT_DOUBLE_EQ(PlacePreview({292, 84, 440, 640}, {0, 0, 1024, 768}, m, 1138, 640).scale, 0.5);
}

TEST(PauseAfterRead, KeepsReadingToItsShareOfAProcessor) {
  using std::chrono::milliseconds;
  const RereadPace pace{milliseconds(1000), 0.001};
  EXPECT_EQ(PauseAfterRead(pace, milliseconds(0)), milliseconds(1000));
  EXPECT_EQ(PauseAfterRead(pace, std::chrono::microseconds(900)), milliseconds(1000));
  // A large render's picture: 4.5 ms of decoding is 0.1 % of 4.5 s.
  EXPECT_EQ(PauseAfterRead(pace, std::chrono::microseconds(4500)), milliseconds(4500));
  EXPECT_EQ(PauseAfterRead({milliseconds(1000), 0}, milliseconds(30)), milliseconds(1000));
}

TEST_F(PreviewWindowTest, NothingIsShownUntilAPictureCanBeRead) {
  PreviewWindow preview(desktop_, Layout(), picture_, kEveryChange);
  preview.Refresh("Current SL = 1.00");  // no file yet
  {
    std::FILE* half = std::fopen(picture_.c_str(), "wb");  // one being written
    ASSERT_NE(half, nullptr);
    std::fputs("\xFF\xD8\xFF", half);
    std::fclose(half);
  }
  preview.Refresh("Current SL = 2.00");
  EXPECT_TRUE(shown_.empty());
  ASSERT_TRUE(WriteJpeg(picture_, 30, 40, 250, 0, 0));
  preview.Refresh("Current SL = 3.00");
  ASSERT_EQ(shown_.size(), 1u);
  // A later unreadable picture leaves the last good one in place.
  std::filesystem::resize_file(picture_, 10);
  preview.Refresh("Current SL = 4.00");
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_GT(shown_.back().first_red, 200);
}

TEST_F(PreviewWindowTest, OpensBesideTheMainWindowOrBelowItOnANarrowScreen) {
  WindowLayout opened;
  EXPECT_CALL(desktop_, OpenWindow(_)).WillRepeatedly([&](const WindowLayout& layout) {
    opened = layout;
    return kPreview;
  });
  EXPECT_CALL(desktop_, CloseWindow(kPreview)).Times(2);
  ON_CALL(desktop_, ScreenArea()).WillByDefault(Return(Rect{0, 0, 1280, 1024}));
  { PreviewWindow beside(desktop_, Layout(), picture_); }
  EXPECT_EQ(*opened.x, 100 + 440 + 7);
  EXPECT_EQ(*opened.y, 100);

  ON_CALL(desktop_, ScreenArea()).WillByDefault(Return(Rect{0, 0, 560, 1024}));
  { PreviewWindow below(desktop_, Layout(), picture_); }
  EXPECT_EQ(*opened.x, 100);
  EXPECT_EQ(*opened.y, 100 + 640 + 7);
}

}  // namespace
}  // namespace torva
