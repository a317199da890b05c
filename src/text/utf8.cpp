#include "text/utf8.h"

namespace torva {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return {0, 0};
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return {lead, 1};

  std::size_t len;
  char32_t code;
  char32_t min_code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, code = lead & 0x1F, min_code = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, code = lead & 0x0F, min_code = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, code = lead & 0x07, min_code = 0x10000;
  } else {
    return {kReplacement, 1};
  }
  if (text.size() - pos < len) return {kReplacement, 1};
  for (std::size_t i = 1; i < len; ++i) {
    if (!IsContinuation(at(i))) return {kReplacement, 1};
    code = (code << 6) | (at(i) & 0x3F);
  }
  // Overlong forms, encoded surrogates and values past U+10FFFF are invalid.
  if (code < min_code || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return {kReplacement, 1};
  }
  return {code, len};
}

std::size_t Utf8PrefixBytes(std::string_view text, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < count && pos < text.size(); ++n) {
    pos += DecodeUtf8At(text, pos).bytes;
  }
  return pos;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < text.size(); ++n) pos += DecodeUtf8At(text, pos).bytes;
  return n;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = kReplacement;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

namespace {

bool IsInvalid(const Utf8Char& c) { return c.code == kReplacement && c.bytes == 1; }

}  // namespace

std::string ValidUtf8(std::string bytes) {
  std::size_t pos = 0;
  for (Utf8Char c; pos < bytes.size() && !IsInvalid(c = DecodeUtf8At(bytes, pos));) {
    pos += c.bytes;
  }
  if (pos == bytes.size()) return bytes;
  std::string out(bytes, 0, pos);
  while (pos < bytes.size()) {
    const Utf8Char c = DecodeUtf8At(bytes, pos);
    if (IsInvalid(c)) {
      AppendUtf8(out, c.code);
    } else {
      out.append(bytes, pos, c.bytes);
    }
    pos += c.bytes;
  }
  return out;
}

}  // namespace torva
