#include "text/text.h"

#include "text/utf8.h"

namespace torva {

namespace {

// True when `piece` stands at byte `pos` of `text` as whole characters: a
// match that starts or ends inside a character (an invalid byte matching the
// start of a valid one) is not an occurrence.
bool WholeCharactersAt(std::string_view text, std::size_t pos, std::string_view piece) {
  if (text.compare(pos, piece.size(), piece) != 0) return false;
  std::size_t end = pos;
  while (end < pos + piece.size()) end += DecodeUtf8At(text, end).bytes;
  return end == pos + piece.size();
}

// Byte position of the first occurrence of `marker` as whole characters.
std::size_t Find(std::string_view text, std::string_view marker) {
  std::size_t boundary = 0;  // where a character starts, up to the candidate
  for (std::size_t at = text.find(marker); at != std::string_view::npos;
       at = text.find(marker, at + 1)) {
    while (boundary < at) boundary += DecodeUtf8At(text, boundary).bytes;
    if (boundary == at && WholeCharactersAt(text, at, marker)) return at;
  }
  return std::string_view::npos;
}

// Removes the occurrences of `piece` found from left to right, character by
// character.
std::string RemoveAll(std::string_view text, std::string_view piece) {
  if (piece.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    if (WholeCharactersAt(text, pos, piece)) {
      pos += piece.size();
      continue;
    }
    const std::size_t bytes = DecodeUtf8At(text, pos).bytes;
    out.append(text, pos, bytes);
    pos += bytes;
  }
  return out;
}

}  // namespace

std::string TextAfter(std::string_view text, std::string_view marker) {
  const std::size_t found = marker.empty() ? std::string_view::npos : Find(text, marker);
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
  const std::size_t found = Find(text, marker);
  if (found == std::string_view::npos) return {};
  return std::string(text.substr(0, found));
}

}  // namespace torva
