#include "state/remembered.h"

#include <gtest/gtest.h>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

// Its folder is made when missing; a malformed window line is no place.
TEST(Remembered, ComesBackAsWrittenAndAMalformedLineGivesNothing) {
  TempFolder folder;
  const std::string path = folder.path() + "/state/torvameter/window";
  ASSERT_TRUE(WriteRemembered(path, {Rect{-4, 30, 760, 700}, "9.6"}));
  const Remembered read = ReadRemembered(path);
  ASSERT_TRUE(read.main_window);
  EXPECT_EQ(std::tie(read.main_window->x, read.main_window->y, read.main_window->width,
                     read.main_window->height),
            std::make_tuple(-4, 30, 760, 700));
  EXPECT_EQ(read.sampling_level, "9.6");
  WriteFile(path, "window 1 2 x 4\n");
  EXPECT_FALSE(ReadRemembered(path).main_window);
}

}  // namespace
}  // namespace torva
