#include "state/config/base64.h"

#include <algorithm>
#include <cstdint>

namespace torva {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return out;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;

  std::string out;
  out.reserve(text.size() / 4 * 3);
  const std::size_t data = text.size() - padding;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    uint32_t group = 0;
    std::size_t sextets = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      int value = 0;
      if (i + k < data) {
        value = SextetOf(text[i + k]);
        if (value < 0) return std::nullopt;
        ++sextets;
      }
      group = (group << 6) | static_cast<uint32_t>(value);
    }
    for (std::size_t k = 0; k + 1 < sextets; ++k) {
      out += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
    }
  }
  return out;
}

std::optional<std::string> DecodeBase64Loosely(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);

  std::string data(text);
  if (data.size() % 4 == 1) data.pop_back();  // six bits make no byte
  if (data.empty()) return std::nullopt;
  data.append((4 - data.size() % 4) % 4, '=');
  // The strict decoder now sees only what it accepts, or a stray character.
  return DecodeBase64(data);
}

}  // namespace torva
