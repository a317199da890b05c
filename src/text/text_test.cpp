#include "text/text.h"

#include <gtest/gtest.h>

#include <string>

namespace torva {
namespace {

using namespace std::string_literals;

TEST(TextAfter, MarkerPresentGivesTheRest) {
  EXPECT_EQ(TextAfter("Engine version 3.2.1.4", "Engine version "), "3.2.1.4");
  EXPECT_EQ(TextAfter("12:05", ":"), "05");
  EXPECT_EQ(TextAfter("abc:", ":"), "");
  EXPECT_EQ(TextAfter(":x", ":"), "x");
}

TEST(TextAfter, LaterCopiesOfTheHeadAreRemovedToo) {
  EXPECT_EQ(TextAfter("x=x=5", "="), "5");
  EXPECT_EQ(TextAfter("a=ba=bca=", "="), "bbc");
  EXPECT_EQ(TextAfter("a-aa-a", "-"), "aa");
  EXPECT_EQ(TextAfter("abab", "b"), "");
}

TEST(TextAfter, MarkerAbsent) {
  EXPECT_EQ(TextAfter("1205", ":"), "1205");
  EXPECT_EQ(TextAfter("abcab", "xyz"), "c");
  // The head is longer than the text: all of it goes.
  EXPECT_EQ(TextAfter("ab", "wxyz"), "");
  // Occurrences do not overlap: "aa" goes twice from "aaaaa".
  EXPECT_EQ(TextAfter("aaaaa", "xyz"), "a");
  EXPECT_EQ(TextAfter("abc", ""), "abc");
}

TEST(TextAfter, EmptyTextStaysEmpty) {
  EXPECT_EQ(TextAfter("", ":"), "");
  EXPECT_EQ(TextAfter("", "xyz"), "");
  EXPECT_EQ(TextAfter("", ""), "");
}

TEST(TextAfter, CountsCharactersNotBytes) {
  // Marker of three characters, absent: the head is the text's first two
  // characters, "éa" (three bytes), not its first two bytes.
  EXPECT_EQ(TextAfter("éabéa", "xyz"), "b");
  EXPECT_EQ(TextAfter("€1€2", "ab"), "12");
  // A two-character marker of four bytes: the head is one character.
  EXPECT_EQ(TextAfter("ab1ab2", "ßß"), "b1b2");
  EXPECT_EQ(TextAfter("Temps: 5 €", "Temps: "), "5 €");
}

TEST(TextAfter, InvalidUtf8IsWalkedByteByByte) {
  const std::string text = "\xff\xfe\x80z\xe2\x82";
  EXPECT_EQ(TextAfter(text, "xyz"), "\x80z\xe2\x82");
  EXPECT_EQ(TextAfter(text, "z"), "\xe2\x82");
  EXPECT_EQ(TextAfter("ab", "\xc3"), "ab");
  EXPECT_EQ(TextAfter("a\xc3", "\xc3"), "");
  // The head is the invalid byte 0xC3; "é" (C3 A9) later on is not a copy of it.
  EXPECT_EQ(TextAfter("\xc3x\xc3\xa9", "zz"), "x\xc3\xa9");
  // Nor is a marker found inside a character.
  EXPECT_EQ(TextBefore("caf\xc3\xa9!", "\xa9"), "");
  EXPECT_EQ(TextBefore("caf\xc3\xa9\xa9!", "\xa9"), "caf\xc3\xa9");
}

TEST(TextBefore, MarkerPresent) {
  EXPECT_EQ(TextBefore("5.2 times faster", " times"), "5.2");
  EXPECT_EQ(TextBefore("=5", "="), "");
  EXPECT_EQ(TextBefore("a=b=c", "="), "a");
  EXPECT_EQ(TextBefore("prix 5 € net", " net"), "prix 5 €");
}

TEST(TextBefore, MarkerAbsentOrEmptyGivesNothing) {
  EXPECT_EQ(TextBefore("5.2", " times"), "");
  EXPECT_EQ(TextBefore("5.2 Times", " times"), "");
  EXPECT_EQ(TextBefore("", "x"), "");
  EXPECT_EQ(TextBefore("abc", ""), "");
  EXPECT_EQ(TextBefore("\xff\x00zq"s, "q"), "\xff\x00z"s);
}

}  // namespace
}  // namespace torva
