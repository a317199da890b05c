#include "desktop/fltk/log_mirror.h"

#include <FL/Fl_Text_Buffer.H>
#include <gtest/gtest.h>

#include <random>

namespace torva::fltk {
namespace {

std::string Shown(Fl_Text_Buffer& buffer) {
  char* text = buffer.text();
  std::string copy(text);
  free(text);
  return copy;
}

TEST(LogMirror, FollowsTheLinesThroughEdgeCases) {
  Fl_Text_Buffer buffer;
  LogPanelLines lines;
  auto same = [&](const char* step) { EXPECT_EQ(Shown(buffer), lines.Text()) << step; };

  MirrorAdd(buffer, lines, 1, "");  // an empty first line
  same("empty first line");
  MirrorAdd(buffer, lines, 1, "one");
  same("after an empty line");
  MirrorAdd(buffer, lines, 0, "zero");
  same("insert at the top");
  MirrorAdd(buffer, lines, 50, "last");
  same("past the end");
  MirrorAdd(buffer, lines, 2, "a\n\nb");
  same("several lines in the middle");
  MirrorAdd(buffer, lines, 99, "tail\n");
  same("trailing line feed");
  MirrorSet(buffer, lines, 3, "changed");
  same("set inside");
  MirrorSet(buffer, lines, 0, "");
  same("set to empty");
  MirrorSet(buffer, lines, 40, "nowhere");
  same("set past the end");
  MirrorSet(buffer, lines, 1, "split\nline");
  same("set with a line feed");
  MirrorAdd(buffer, lines, 2, "after split");
  same("add after a split line");
}

TEST(LogMirror, ReturnsTheStartOfTheLineToShow) {
  Fl_Text_Buffer buffer;
  LogPanelLines lines;
  MirrorAdd(buffer, lines, 0, "abc");
  EXPECT_EQ(MirrorAdd(buffer, lines, 5, "de\nfg"), 7);  // "abc\nde\nfg"
  EXPECT_EQ(MirrorAdd(buffer, lines, 0, "x"), 0);
  EXPECT_EQ(MirrorSet(buffer, lines, 1, "ABC"), 2);
}

TEST(LogMirror, StaysEqualOverManyRandomEdits) {
  Fl_Text_Buffer buffer;
  LogPanelLines lines;
  std::mt19937 random(7);
  const char* texts[] = {"", "line", "two\nlines", "\n", "end\n", "Time left: 1h2m5s"};
  for (int step = 0; step < 400; ++step) {
    const int size = static_cast<int>(lines.lines().size());
    const int position = static_cast<int>(random() % (size + 3));
    const char* text = texts[random() % std::size(texts)];
    if (random() % 3 == 0)
      MirrorSet(buffer, lines, position, text);
    else
      MirrorAdd(buffer, lines, position, text);
    ASSERT_EQ(Shown(buffer), lines.Text()) << "step " << step;
    if (step == 200) {
      lines.Clear();
      buffer.text("");
    }
  }
}

}  // namespace
}  // namespace torva::fltk
