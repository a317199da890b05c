#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "state/config/base64.h"
#include "state/config/config_file.h"
#include "text/utf8.h"

namespace torva {

namespace {

constexpr std::size_t kBlockBytes = 2 * kCredentialUnits;
constexpr std::size_t kValueUnits = 40;  // a decoded value starts as this many spaces

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string PasswordRefusal(const std::string& password) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < password.size();) {
    const Utf8Char c = DecodeUtf8At(password, pos);
    // A genuine U+FFFD takes three bytes; an invalid byte decodes to it too.
    if (c.code == 0 || (c.code == 0xFFFD && c.bytes != 3))
      return "The password holds a zero character or bytes that are not UTF-8 text, which the "
             "settings cannot keep.";
    units += c.code < 0x10000 ? 1 : 2;
    pos += c.bytes;
  }
  if (units <= kCredentialUnits) return "";
  return "The password has " + std::to_string(units) + " characters, and the settings keep only " +
         std::to_string(kCredentialUnits) + ": give one of at most " +
         std::to_string(kCredentialUnits) + " characters.";
}

std::string EncodeCredential(const std::string& value) {
  std::string block(kBlockBytes, '\0');
  std::size_t units = 0;
  const auto put = [&](char16_t unit) {
    block[2 * units] = static_cast<char>(unit & 0xFF);
    block[2 * units + 1] = static_cast<char>(unit >> 8);
    ++units;
  };
  for (std::size_t pos = 0; pos < value.size();) {
    const Utf8Char c = DecodeUtf8At(value, pos);
    pos += c.bytes;
    if (c.code < 0x10000) {
      if (units + 1 > kBlockBytes / 2) break;
      put(static_cast<char16_t>(c.code));
    } else {
      if (units + 2 > kBlockBytes / 2) break;
      const char32_t v = c.code - 0x10000;
      put(static_cast<char16_t>(0xD800 + (v >> 10)));
      put(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    }
  }
  return EncodeBase64(block);
}

std::string DecodeCredential(std::string_view line) {
  std::vector<char16_t> units(kValueUnits, u' ');
  if (!line.empty()) {
    const std::optional<std::string> bytes = DecodeBase64Loosely(line);
    if (bytes) {
      // Byte by byte, little-endian: an odd last byte replaces only the low
      // half of its unit.
      const std::size_t n = std::min(bytes->size(), kBlockBytes);
      for (std::size_t i = 0; i < n; ++i) {
        const auto byte = static_cast<unsigned char>((*bytes)[i]);
        char16_t& unit = units[i / 2];
        unit = i % 2 == 0 ? static_cast<char16_t>((unit & 0xFF00) | byte)
                          : static_cast<char16_t>((unit & 0x00FF) | (byte << 8));
      }
    }
  }

  std::string out;
  for (std::size_t i = 0; i < units.size() && units[i] != 0; ++i) {
    const char16_t u = units[i];
    if (IsHighSurrogate(u) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      AppendUtf8(out,
                 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, u);  // a lone surrogate comes out as U+FFFD
    }
  }
  return out;
}

bool CredentialLineUnreadable(std::string_view line) {
  return line.find_first_not_of(" \t\r") != std::string_view::npos &&
         !DecodeBase64Loosely(line).has_value();
}

}  // namespace torva
