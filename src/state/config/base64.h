// Base64 with the standard alphabet and "=" padding, no line breaks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torva {

std::string EncodeBase64(std::string_view bytes);

// Strict: nullopt for characters outside the alphabet, a length that is not a
// multiple of four, or padding anywhere but at the end.
std::optional<std::string> DecodeBase64(std::string_view text);

// Forgiving, for text that passed through an editor: blanks, tabs and carriage
// returns at either end are ignored, and "=" padding may be missing or short.
// A last group of two or three characters gives its one or two bytes; a lone
// last character is dropped. nullopt when any other character is outside the
// alphabet, or when not one byte can be decoded.
std::optional<std::string> DecodeBase64Loosely(std::string_view text);

}  // namespace torva
