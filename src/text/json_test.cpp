#include "text/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "testing/files.h"
#include "testing/temp_folder.h"
#include "text/whole_file.h"

namespace torva {
namespace {

TEST(Json, TextsAreEscapedAndNumbersReadBackExactly) {
  EXPECT_EQ(JsonText("a\"b\\c\nd\te\x01 caf\xc3\xa9"),
            "\"a\\\"b\\\\c\\nd\\te\\u0001 caf\xc3\xa9\"");
  EXPECT_EQ(JsonNumber(601.0f / 481.0f), "1.2494802");
  EXPECT_EQ(std::stof(JsonNumber(601.0f / 481.0f)), 601.0f / 481.0f);
  EXPECT_EQ(JsonNumber(0.1), "0.1");
  EXPECT_EQ(JsonNumber(7500LL), "7500");
  // JSON has no NaN or infinity: both writers once disagreed on them.
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<float>::infinity()), "null");
  EXPECT_EQ(JsonLine(std::optional<float>()), "null");
}

TEST(Json, ReadsWhatItWritesAndPrintsItOnOneLine) {
  const std::string written = "{\n  \"name\": " + JsonText("a\"b\\c\n\x01 caf\xc3\xa9") +
                              ",\n  \"ratio\": " + JsonNumber(601.0f / 481.0f) +
                              ",\n  \"list\": [1, -2.5e-3, true, false, null, {}, []]\n}\n";
  const std::optional<JsonValue> value = ParseJson(written);
  ASSERT_TRUE(value);
  ASSERT_EQ(value->type, JsonValue::Type::kObject);
  ASSERT_NE(value->Find("name"), nullptr);
  EXPECT_EQ(value->Find("name")->text, "a\"b\\c\n\x01 caf\xc3\xa9");
  EXPECT_EQ(static_cast<float>(value->Find("ratio")->Number()), 601.0f / 481.0f);
  EXPECT_EQ(value->Find("missing"), nullptr);
  EXPECT_EQ(value->Find("list")->items.size(), 7u);
  // Numbers keep their text; strings are written back escaped.
  EXPECT_EQ(JsonLine(*value), "{\"name\": " + JsonText("a\"b\\c\n\x01 caf\xc3\xa9") +
                                  ", \"ratio\": 1.2494802, \"list\": [1, -2.5e-3, true, false, "
                                  "null, {}, []]}");
  EXPECT_EQ(ParseJson(JsonLine(*value))->members.size(), 3u);
  // Escapes of other writers, a surrogate pair among them.
  EXPECT_EQ(ParseJson("\"\\u00e9\\/\\ud83d\\ude00\"")->text, "\xc3\xa9/\xf0\x9f\x98\x80");

  for (const char* bad : {"", "{", "{\"a\" 1}", "[1,]", "01", "1.", "-", "\"a", "\"\x01\"", "tru",
                          "{} {}", "\"\\x\"", "{1: 2}", "\"\\ud800\\u0041\""})
    EXPECT_FALSE(ParseJson(bad)) << bad;
  EXPECT_FALSE(ParseJson(std::string(65, '[') + std::string(65, ']')));
  EXPECT_TRUE(ParseJson(std::string(64, '[') + std::string(64, ']')));
}

// The records' files are read by other programs (and people) in this layout.
TEST(Json, BlocksKeepAMemberALineAndAListOfObjectsAnItemALine) {
  JsonValue list = JsonValue::Array();
  list.items = {JsonValue::Object().Add("sl", 6.5f).Add("n", 2LL), JsonValue::Object()};
  const JsonValue block = JsonValue::Object()
                              .Add("name", "x")
                              .Add("list", list)
                              .Add("none", JsonValue::Array())
                              .Add("inner", JsonValue::Object().Add("a", std::optional<int>()))
                              .Add("money", JsonValue::Numeral("17.50"));
  EXPECT_EQ(JsonBlock(block),
            "{\n  \"name\": \"x\",\n  \"list\": [\n    {\"sl\": 6.5, \"n\": 2},\n    {}\n  ],\n"
            "  \"none\": [],\n  \"inner\": {\"a\": null},\n  \"money\": 17.50\n}\n");
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
