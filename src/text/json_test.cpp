#include "text/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "text/whole_file.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

TEST(Json, TextsAreEscapedAndNumbersReadBackExactly) {
  EXPECT_EQ(JsonText("a\"b\\c\nd\te\x01 caf\xc3\xa9"), "\"a\\\"b\\\\c\\nd\\te\\u0001 caf\xc3\xa9\"");
  EXPECT_EQ(JsonNumber(601.0f / 481.0f), "1.2494802");
  EXPECT_EQ(std::stof(JsonNumber(601.0f / 481.0f)), 601.0f / 481.0f);
  EXPECT_EQ(JsonNumber(0.1), "0.1");
  EXPECT_EQ(JsonNumber(7500LL), "7500");
  // JSON has no NaN or infinity: both writers once disagreed on them.
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<float>::infinity()), "null");
  EXPECT_EQ(JsonOptional(std::optional<float>()), "null");
}

TEST(WholeFile, ReplacesOnlyWithACompleteFileAndNeverThroughALink) {
  TempFolder folder;
  const std::string path = folder.path() + "/record.json";
  EXPECT_FALSE(ReadWholeFile(path));
  ASSERT_TRUE(WriteWholeFile(path, std::string("one\0two", 7)));
  EXPECT_EQ(ReadWholeFile(path), std::string("one\0two", 7));

  const std::string victim = folder.path() + "/victim";
  WriteFile(victim, "keep me");
  std::filesystem::create_symlink(victim, path + ".part");
  ASSERT_TRUE(WriteWholeFile(path, "new"));
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(ReadFile(victim), "keep me");
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));

  EXPECT_FALSE(WriteWholeFile(folder.path() + "/no/such/folder/x", "y"));
}

}  // namespace
}  // namespace torva
