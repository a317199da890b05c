#include "state/config/config_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "state/config/base64.h"

namespace torva {
namespace {

using namespace std::string_literals;

const std::string kSpaces(40, ' ');

ConfigValues Sample() {
  return {"/Applications/Maxwell 5/", "jdoe", "s3cr€t", "/Users/jdoe/scenes/", "Yes", std::nullopt};
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(Credential, ShortValueRoundTrips) {
  const std::string line = EncodeCredential("jdoe");
  EXPECT_EQ(line.size(), 56u);
  std::string expected = "agBkAG8AZQAA";
  for (int i = 0; i < 10; ++i) expected += "AAAA";
  EXPECT_EQ(line, expected + "AA==");
  EXPECT_EQ(DecodeCredential(line), "jdoe");
  EXPECT_EQ(DecodeCredential(EncodeCredential("ünï€ode")), "ünï€ode");
  EXPECT_EQ(DecodeCredential(EncodeCredential("")), "");
}

TEST(Credential, LongLoginKeepsTwentyCharactersAndReadsBackPadded) {
  const std::string login = "abcdefghijklmnopqrstuvwxy";  // 25 characters
  const std::string line = EncodeCredential(login);
  const std::string read = DecodeCredential(line);
  EXPECT_EQ(read, "abcdefghijklmnopqrst" + std::string(20, ' '));
  EXPECT_EQ(EncodeCredential(read), line);
}

TEST(Credential, CharactersOutsideTheBmpTakeTwoUnits) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600
  EXPECT_EQ(DecodeCredential(EncodeCredential("a" + emoji + "b")), "a" + emoji + "b");
  // Nineteen units used: the pair does not fit and is dropped whole.
  const std::string nineteen(19, 'x');
  EXPECT_EQ(DecodeCredential(EncodeCredential(nineteen + emoji)), nineteen);
  EXPECT_EQ(DecodeCredential(EncodeCredential(std::string(18, 'x') + emoji)),
            std::string(18, 'x') + emoji + std::string(20, ' '));
}

TEST(Credential, InvalidInputIsReplacedNotRejected) {
  EXPECT_EQ(DecodeCredential(EncodeCredential("a\xff"
                                              "b\xc3")),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  // A lone high surrogate (0xD800, little-endian) followed by "A".
  EXPECT_EQ(DecodeCredential("ANhBAA=="),
            "\xEF\xBF\xBD"
            "A" +
                std::string(38, ' '));
}

TEST(Credential, EmptyOrUndecodableLinesReadAsFortySpaces) {
  for (const std::string& line : {""s, "\r"s, "  \t"s, "not base64!"s, "A"s, "=="s, "ag=A"s}) {
    EXPECT_EQ(DecodeCredential(line), kSpaces) << line;
    const bool blank = line.find_first_not_of(" \t\r") == std::string::npos;
    EXPECT_EQ(CredentialLineUnreadable(line), !blank) << line;
  }
}

TEST(Credential, WhatAnEditorAddsOrDropsIsTolerated) {
  const std::string line = EncodeCredential("jdoe");
  const std::string bare = line.substr(0, line.size() - 2);  // without "=="
  for (const std::string& edited :
       {line + "\r", bare, bare + "=", line + " ", line + " \t\r", " " + line, bare + "\r"}) {
    EXPECT_EQ(DecodeCredential(edited), "jdoe") << edited;
    EXPECT_FALSE(CredentialLineUnreadable(edited));
  }
  // A cut line gives what its complete bytes hold: "j", "jd".
  EXPECT_EQ(DecodeCredential("ag="), "j" + std::string(39, ' '));
  EXPECT_EQ(DecodeCredential("agBkAA"), "jd" + std::string(38, ' '));
}

TEST(Credential, ShortOrLongBlocks) {
  // Three bytes: "h", then a byte that replaces only the low half of a space.
  EXPECT_EQ(DecodeCredential("aABp"), "hi" + std::string(38, ' '));
  // More than 40 bytes: only the first 40 count.
  std::string block;
  for (int i = 0; i < 21; ++i) block += "z\0"s;
  EXPECT_EQ(DecodeCredential(EncodeBase64(block)), std::string(20, 'z') + std::string(20, ' '));
}

TEST(ConfigFile, FormatWritesTenLinesInOrder) {
  const std::string text = FormatConfig(Sample());
  EXPECT_EQ(text,
            ";Maxwell Render path\n/Applications/Maxwell 5/\n"
            ";TORVA login (crypted - do not modify)\n" +
                EncodeCredential("jdoe") +
                "\n"
                ";TORVA password (crypted - do not modify)\n" +
                EncodeCredential("s3cr€t") +
                "\n"
                ";Last directory from previous session\n/Users/jdoe/scenes/\n"
                ";Check for updates?\nYes\n");
}

TEST(ConfigFile, ReadingWhatWasWrittenGivesTheSameBytes) {
  const std::string first = FormatConfig(Sample());
  const ConfigValues read = ParseConfig(first);
  EXPECT_EQ(read.MaxwellDir, "/Applications/Maxwell 5/");
  EXPECT_EQ(read.FarmLogin, "jdoe");
  EXPECT_EQ(read.FarmPassword, "s3cr€t");
  EXPECT_EQ(read.LastDir, "/Users/jdoe/scenes/");
  EXPECT_EQ(read.CheckUpdates, "Yes");
  EXPECT_FALSE(read.MxiSizeLimitMB.has_value());
  EXPECT_EQ(FormatConfig(read), first);
}

TEST(ConfigFile, NoLoginMeansEmptyCredentialLines) {
  for (const char* login : {"", "   ", "\xc2\xa0"}) {
    ConfigValues values = Sample();
    values.FarmLogin = login;
    const std::string text = FormatConfig(values);
    const bool blank = std::string(login).find_first_not_of(' ') == std::string::npos;
    EXPECT_EQ(text.find("modify)\n\n;") != std::string::npos, blank) << login;
    EXPECT_EQ(LineCount(text), 10);
  }
  // 40 spaces, as an empty login line reads, count as no login too.
  ConfigValues read = ParseConfig(FormatConfig({"/m/", "", "pw", "/d/", "No", std::nullopt}));
  EXPECT_EQ(read.FarmLogin, kSpaces);
  EXPECT_EQ(read.FarmPassword, kSpaces);
  EXPECT_EQ(FormatConfig(read), FormatConfig({"/m/", "", "", "/d/", "No", std::nullopt}));
}

TEST(ConfigFile, LinesAfterTheTenthSetTheMxiLimit) {
  const std::string ten = FormatConfig(Sample());
  EXPECT_EQ(ParseConfig(ten + "anything\n  -512MB\n").MxiSizeLimitMB, -512);
  EXPECT_EQ(ParseConfig(ten + "x\n\t+4096").MxiSizeLimitMB, 4096);
  EXPECT_EQ(ParseConfig(ten + "x\n99999999999999\n").MxiSizeLimitMB, INT_MAX);
  // An eleventh line alone, or even one empty line, still counts as going on.
  EXPECT_EQ(ParseConfig(ten + "limit follows").MxiSizeLimitMB, 0);
  EXPECT_EQ(ParseConfig(ten + "\n").MxiSizeLimitMB, 0);

  ConfigValues read = ParseConfig(ten + "x\n1000\n");
  EXPECT_EQ(LineCount(FormatConfig(read)), 10);
  EXPECT_EQ(FormatConfig(read), ten);
}

TEST(ConfigFile, MissingLinesReadAsEmpty) {
  const ConfigValues read = ParseConfig(";Maxwell Render path\n/m/\n;c\n");
  EXPECT_EQ(read.MaxwellDir, "/m/");
  EXPECT_EQ(read.FarmLogin, kSpaces);
  EXPECT_EQ(read.LastDir, "");
  EXPECT_EQ(read.CheckUpdates, "");
  EXPECT_FALSE(read.MxiSizeLimitMB.has_value());
  EXPECT_EQ(ParseConfig("").MaxwellDir, "");
}

TEST(ConfigFile, GarbageIsReadAsItStands) {
  const std::string crlf = ";a\r\n/m/\r\n;b\r\n\r\n;c\r\n\r\n;d\r\n/d/\r\n;e\r\nYes\r\n";
  const ConfigValues read = ParseConfig(crlf);
  EXPECT_EQ(read.MaxwellDir, "/m/\r");
  EXPECT_EQ(read.FarmLogin, kSpaces);  // "\r" is not Base64
  EXPECT_EQ(read.CheckUpdates, "Yes\r");

  const std::string binary =
      "\x00\xff\n\x00/m\x00/\n"s + std::string(3 << 20, '\x01') + "\n\n\n\n\n\n\n\xfe\n";
  const ConfigValues odd = ParseConfig(binary);
  EXPECT_EQ(odd.MaxwellDir, "\x00/m\x00/"s);
  EXPECT_EQ(odd.FarmLogin, kSpaces);
  EXPECT_EQ(odd.CheckUpdates, "\xfe");
  EXPECT_FALSE(odd.MxiSizeLimitMB.has_value());
}

TEST(ConfigFile, UnreadableCredentialLinesAreWrittenBackAsTheyStood) {
  const std::string login = EncodeCredential("jdoe"), password = EncodeCredential("pw");
  const auto text = [](const std::string& l4, const std::string& l6) {
    return ";p\n/m/\n;l\n" + l4 + "\n;w\n" + l6 + "\n;d\n/d/\n;u\nNo\n";
  };
  // The login line unreadable: kept, and the password still written.
  ConfigValues read = ParseConfig(text("??jdoe??", password + "\r"));
  EXPECT_EQ(read.FarmLogin, kSpaces);
  EXPECT_EQ(read.FarmPassword, "pw");
  EXPECT_EQ(read.unreadable_login_line, "??jdoe??");
  EXPECT_EQ(FormatConfig(read),
            ";Maxwell Render path\n/m/\n;TORVA login (crypted - do not modify)\n??jdoe??\n"
            ";TORVA password (crypted - do not modify)\n" +
                password +
                "\n;Last directory from previous session\n/d/\n;Check for updates?\nNo\n");
  // The password line unreadable, even without a login.
  for (const std::string& l4 : {login, ""s}) {
    ConfigValues values = ParseConfig(text(l4, "pass word"));
    EXPECT_EQ(values.unreadable_password_line, "pass word");
    const ConfigValues again = ParseConfig(FormatConfig(values));
    EXPECT_EQ(again.unreadable_password_line, "pass word") << l4;
    EXPECT_EQ(again.FarmLogin, l4.empty() ? kSpaces : "jdoe");
  }
}

TEST(ConfigFile, ValuesWithALineFeedCannotShiftTheLines) {
  ConfigValues values = Sample();
  values.LastDir = "/odd\nname/";
  const std::string text = FormatConfig(values);
  EXPECT_EQ(LineCount(text), 10);
  EXPECT_EQ(ParseConfig(text).LastDir, "/odd");
  EXPECT_FALSE(ParseConfig(text).MxiSizeLimitMB.has_value());
}

}  // namespace
}  // namespace torva
