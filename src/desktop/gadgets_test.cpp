#include "desktop/gadgets.h"

#include <gtest/gtest.h>

#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace torva {
namespace {

// Every gadget, in the printed table's order.
std::vector<GadgetPlace> AllPlaces() {
  std::vector<GadgetPlace> all{kLogoPlace, kLogPanelPlace, kProgressBarPlace};
  all.insert(all.end(), std::begin(kButtonPlaces), std::end(kButtonPlaces));
  return all;
}

bool Overlap(const GadgetPlace& a, const GadgetPlace& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(Gadgets, NumbersAndLabelsAreUniqueAndTheButtonsAreFourToThirteen) {
  std::set<int> numbers, buttons;
  std::set<std::string> labels;
  for (const GadgetPlace& place : AllPlaces())
    EXPECT_TRUE(numbers.insert(place.gadget).second) << "gadget " << place.gadget;
  for (const GadgetPlace& place : kButtonPlaces) {
    buttons.insert(place.gadget);
    EXPECT_NE(std::string(place.label), "") << "gadget " << place.gadget;
    EXPECT_TRUE(labels.insert(place.label).second) << place.label;
  }
  // Answer files and the button helpers count on these numbers.
  EXPECT_EQ(buttons, (std::set<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(numbers.count(2), 0u);
}

// The second row of buttons covers the progress bar's top two pixels, as it
// always has; everything else stands apart.
TEST(Gadgets, ButtonsOverlapNothingButTheProgressBarAndLieInTheWindow) {
  const std::span<const GadgetPlace> buttons = kButtonPlaces;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const GadgetPlace& b = buttons[i];
    EXPECT_GT(b.width, 0) << b.label;
    EXPECT_GT(b.height, 0) << b.label;
    EXPECT_GE(b.x, 0) << b.label;
    EXPECT_GE(b.y, 0) << b.label;
    EXPECT_LE(b.x + b.width, kMainWindowWidth) << b.label;
    EXPECT_LE(b.y + b.height, kMainWindowHeight) << b.label;
    EXPECT_FALSE(Overlap(b, kLogoPlace)) << b.label;
    EXPECT_FALSE(Overlap(b, kLogPanelPlace)) << b.label;
    for (std::size_t j = i + 1; j < buttons.size(); ++j)
      EXPECT_FALSE(Overlap(b, buttons[j])) << b.label << " and " << buttons[j].label;
  }
  EXPECT_FALSE(Overlap(kLogoPlace, kLogPanelPlace));
  EXPECT_FALSE(Overlap(kLogPanelPlace, kProgressBarPlace));
}

// The GUI tests read the printed table the same way: five numbers, then the
// rest of the line is the label.
TEST(Gadgets, PrintedTableReadsBackAsTheTable) {
  std::istringstream text(GadgetTableText());
  std::vector<GadgetPlace> read;
  std::vector<std::string> labels;
  std::string line;
  while (std::getline(text, line)) {
    std::istringstream fields(line);
    GadgetPlace place{};
    ASSERT_TRUE(fields >> place.gadget >> place.x >> place.y >> place.width >> place.height)
        << line;
    std::string label;
    std::getline(fields >> std::ws, label);
    labels.push_back(label);
    read.push_back(place);
  }
  const std::vector<GadgetPlace> all = AllPlaces();
  ASSERT_EQ(read.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(read[i].gadget, all[i].gadget);
    EXPECT_EQ(read[i].x, all[i].x);
    EXPECT_EQ(read[i].y, all[i].y);
    EXPECT_EQ(read[i].width, all[i].width);
    EXPECT_EQ(read[i].height, all[i].height);
    EXPECT_EQ(labels[i], all[i].label);
  }
  EXPECT_NE(GadgetTableText().find("\n6 152 594 88 18 Benchmark\n"), std::string::npos);
  EXPECT_TRUE(GadgetTableText().starts_with("0 10 2 403 89\n"));
}

}  // namespace
}  // namespace torva
