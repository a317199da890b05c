#include "picture/time_chart.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "testing/temp_folder.h"

namespace torva {
namespace {

struct Counts {
  int blue = 0, red = 0, orange = 0;
};

Counts CountColours(const Picture& picture) {
  Counts counts;
  for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
    const int r = picture.rgb[i], g = picture.rgb[i + 1], b = picture.rgb[i + 2];
    if (b > 150 && r < 80) ++counts.blue;
    if (r > 150 && g < 80 && b < 80) ++counts.red;
    if (r > 200 && g > 100 && g < 170 && b < 80) ++counts.orange;
  }
  return counts;
}

TimeChart ThreePoints() {
  TimeChart chart;
  chart.title = "title";
  chart.points = {{15, 615}, {30, 631}, {45, 647}};
  return chart;
}

TEST(TimeChart, DrawsThePointsAndOnlyTheMarksAskedFor) {
  const Picture plain = DrawTimeChart(ThreePoints());
  ASSERT_EQ(plain.width, 800);
  ASSERT_EQ(plain.height, 480);
  const Counts plain_counts = CountColours(plain);
  EXPECT_GT(plain_counts.blue, 30);
  EXPECT_EQ(plain_counts.red, 0);
  EXPECT_EQ(plain_counts.orange, 0);

  TimeChart marked = ThreePoints();
  marked.latest_label = "Latest";
  marked.mean_y = 631;
  marked.mean_label = "mean";
  const Counts marked_counts = CountColours(DrawTimeChart(marked));
  EXPECT_GT(marked_counts.red, 20);
  EXPECT_GT(marked_counts.orange, 100);
}

TEST(TimeChart, SmallOrEmptyChartsStayBlankPicturesOfTheirSize) {
  TimeChart tiny = ThreePoints();
  tiny.width = 100;
  tiny.height = 80;
  const Picture blank = DrawTimeChart(tiny);
  EXPECT_EQ(blank.width, 100);
  EXPECT_EQ(blank.height, 80);
  EXPECT_EQ(CountColours(blank).blue, 0);

  TimeChart empty;  // just the frame: no point, nothing blue
  const Picture frame = DrawTimeChart(empty);
  EXPECT_EQ(frame.width, 800);
  EXPECT_EQ(CountColours(frame).blue, 0);
}

TEST(TimeChart, SavedAsAPngThatReadsBackAndReplacesAnEarlierOneWhole) {
  TempFolder folder;
  const std::string path = folder.path() + "/chart.png";
  {
    std::ofstream earlier(path);
    earlier << "earlier";
  }
  const Picture chart = DrawTimeChart(ThreePoints());
  ASSERT_TRUE(SavePng(chart, path));
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  auto decoded = DecodePng({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->rgb, chart.rgb);
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));

  // A failed save leaves the file there as it was.
  EXPECT_FALSE(SavePng(Picture{}, path));
  EXPECT_FALSE(SavePng(chart, folder.path() + "/missing/chart.png"));
  std::ifstream again(path, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), bytes);
}

TEST(TimeChart, AxisLabelsReadAsTimes) {
  EXPECT_EQ(AxisTimeLabel(3900), "1h05m");
  EXPECT_EQ(AxisTimeLabel(150), "2m30s");
  EXPECT_EQ(AxisTimeLabel(45), "45s");
  EXPECT_EQ(AxisTimeLabel(0), "0s");
}

}  // namespace
}  // namespace torva
