#include "state/config/base64.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

using namespace std::string_literals;

TEST(Base64, StandardVectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(EncodeBase64(plain), encoded);
    EXPECT_EQ(DecodeBase64(encoded), plain);
  }
  const std::string binary = "\x00\xff\xfe+/\x80"s;
  EXPECT_EQ(EncodeBase64(binary), "AP/+Ky+A");
  EXPECT_EQ(DecodeBase64("AP/+Ky+A"), binary);
}

TEST(Base64, RejectsMalformedText) {
  for (const char* text : {"Zg", "Zg=", "Zm9vY", "Z===", "Zg==Zg==", "Z=g=", "Zm9v\r", " Zm9v",
                           "Zm-v", "Zm9v\n", "===="}) {
    EXPECT_EQ(DecodeBase64(text), std::nullopt) << text;
  }
}

TEST(Base64, LooseDecodingIgnoresEditorDamage) {
  EXPECT_EQ(DecodeBase64Loosely("Zm9vYg==\r"), "foob");
  EXPECT_EQ(DecodeBase64Loosely(" Zm9vYg \t"), "foob");
  EXPECT_EQ(DecodeBase64Loosely("Zm9vYmE"), "fooba");
  EXPECT_EQ(DecodeBase64Loosely("Zm9vY"), "foo");  // a lone last character is dropped
  EXPECT_EQ(DecodeBase64Loosely("Zm9v===="), "foo");
  for (const char* text : {"", " \r", "Z", "=", "Zm 9v", "Zm9v\nZm9v", "Z=g=", "Zm-v", "é"}) {
    EXPECT_EQ(DecodeBase64Loosely(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace torva
