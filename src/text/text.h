// Cutting a line of text at a marker. Searches are case-sensitive and count
// characters of UTF-8 text; invalid bytes count as one character each.
#pragma once

#include <string>
#include <string_view>

namespace torva {

// The text after the first `marker`. What is cut off (the text up to and
// including the marker) is also removed wherever else it occurs. Without the
// marker, every occurrence of the text's first (marker length - 1) characters
// is removed: a one-character marker leaves the text unchanged.
std::string TextAfter(std::string_view text, std::string_view marker);

// The text in front of the first `marker`; empty when the marker is absent.
std::string TextBefore(std::string_view text, std::string_view marker);

}  // namespace torva
