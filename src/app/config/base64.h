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

}  // namespace torva
