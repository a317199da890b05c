#include "text/text.h"

#include "text/utf8.h"

namespace torva {

namespace {

std::string RemoveAll(std::string_view text, std::string_view piece) {
  if (piece.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(piece, from)) != std::string_view::npos;) {
    out.append(text, from, at - from);
    from = at + piece.size();
  }
  out.append(text, from);
  return out;
}

}  // namespace

std::string TextAfter(std::string_view text, std::string_view marker) {
  const std::size_t found = marker.empty() ? std::string_view::npos : text.find(marker);
  std::size_t head_bytes;
  if (found != std::string_view::npos) {
    head_bytes = found + marker.size();
  } else {
    const std::size_t marker_chars = Utf8Length(marker);
    head_bytes = marker_chars == 0 ? 0 : Utf8PrefixBytes(text, marker_chars - 1);
  }
  return RemoveAll(text, text.substr(0, head_bytes));
}

std::string TextBefore(std::string_view text, std::string_view marker) {
  if (marker.empty()) return {};
  const std::size_t found = text.find(marker);
  if (found == std::string_view::npos) return {};
  return std::string(text.substr(0, found));
}

}  // namespace torva
