// Plain reference versions of the text helpers for the fuzz targets, written
// from their descriptions step by step, on whole characters.
#pragma once

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "text/utf8.h"

namespace reference {

using Chars = std::vector<std::string>;  // one UTF-8 character per element

inline Chars Split(std::string_view text) {
  Chars chars;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t n = torva::DecodeUtf8At(text, pos).bytes;
    chars.emplace_back(text.substr(pos, n));
    pos += n;
  }
  return chars;
}

inline std::string Join(const Chars& chars, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to && i < chars.size(); ++i) out += chars[i];
  return out;
}

// Position (from 1) of the first occurrence of `marker` in `text`, 0 if none.
inline std::size_t Find(const Chars& text, const Chars& marker) {
  if (marker.empty()) return 0;
  for (std::size_t p = 0; p + marker.size() <= text.size(); ++p) {
    bool same = true;
    for (std::size_t k = 0; k < marker.size() && same; ++k) same = text[p + k] == marker[k];
    if (same) return p + 1;
  }
  return 0;
}

inline std::string TextAfter(std::string_view text_bytes, std::string_view marker_bytes) {
  const Chars text = Split(text_bytes), marker = Split(marker_bytes);
  const long long p = static_cast<long long>(Find(text, marker));
  long long head_length = p + static_cast<long long>(marker.size()) - 1;
  if (head_length <= 0) return std::string(text_bytes);
  if (head_length > static_cast<long long>(text.size())) head_length = text.size();
  const Chars head(text.begin(), text.begin() + head_length);
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool here = i + head.size() <= text.size();
    for (std::size_t k = 0; k < head.size() && here; ++k) here = text[i + k] == head[k];
    if (here) {
      i += head.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

inline std::string TextBefore(std::string_view text_bytes, std::string_view marker_bytes) {
  const Chars text = Split(text_bytes);
  const std::size_t p = Find(text, Split(marker_bytes));
  if (p == 0) return {};
  return Join(text, 0, p - 1);
}

// Blanks and tabs, a sign, digits; saturating at the limits of long long.
inline long long ReadWholeNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  __int128 value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<__int128>(LLONG_MAX) + 1) value = static_cast<__int128>(LLONG_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > LLONG_MAX) return LLONG_MAX;
  return static_cast<long long>(value);
}

}  // namespace reference
