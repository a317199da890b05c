// Walking UTF-8 text one character at a time. Bytes that do not form a valid
// sequence count as one character each and decode to U+FFFD, so any byte
// string can be walked without failing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torva {

struct Utf8Char {
  char32_t code;      // U+FFFD for an invalid byte
  std::size_t bytes;  // 1 to 4; 0 only at the end of the text
};

// The character that starts at byte `pos`.
Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos);

// Byte length of the first `count` characters (the whole text when shorter).
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t count);

std::size_t Utf8Length(std::string_view text);

// Appends `code` as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t code);

// `bytes` with every byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string bytes);

}  // namespace torva
