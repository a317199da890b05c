#include <gtest/gtest.h>

#include "desktop/fltk/fltk_desktop.h"
#include "desktop/fltk/widgets.h"

namespace torva {
namespace {

TEST(FltkFilter, TurnsDescriptionAndPatternIntoFltkForm) {
  EXPECT_EQ(FltkFilter("Maxwell Render scene (*.mxs)|*.mxs"),
            "Maxwell Render scene (*.mxs)\t*.mxs");
  EXPECT_EQ(FltkFilter("TORVA project (*.vum)|*.vum"), "TORVA project (*.vum)\t*.vum");
}

TEST(FltkFilter, AllFilesIncludeNamesWithoutADot) {
  // The renderer folder is chosen by picking any file, "mximerge" included.
  EXPECT_EQ(FltkFilter("*.*|*.*"), "*.*\t*");
  EXPECT_EQ(FltkFilter("All files|"), "All files\t*");
}

TEST(FltkFilter, PatternListsBecomeAlternatives) {
  EXPECT_EQ(FltkFilter("Pictures|*.jpg;*.png"), "Pictures\t{*.jpg,*.png}");
}

TEST(LabelText, KeepsAtSignsAsCharacters) {
  EXPECT_EQ(fltk::LabelText("login: a@b.fr"), "login: a@@b.fr");
  EXPECT_EQ(fltk::LabelText("no sign"), "no sign");
}

// FLTK draws a carriage return as "^M"; in a message it means a new line.
TEST(LabelText, ACarriageReturnBreaksTheLine) {
  EXPECT_EQ(fltk::LabelText("the\rscene name"), "the\nscene name");
  EXPECT_EQ(fltk::LabelText("a\r\nb\nc\r"), "a\nb\nc\n");
  EXPECT_EQ(fltk::LabelText("\r\r@"), "\n\n@@");
}

}  // namespace
}  // namespace torva
