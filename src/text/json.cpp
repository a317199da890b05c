#include "text/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace torva {

namespace {

template <typename T>
std::string Shortest(T value) {
  if (!std::isfinite(value)) return "null";
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : "null";
}

}  // namespace

std::string JsonText(std::string_view text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) { return Shortest(value); }
std::string JsonNumber(float value) { return Shortest(value); }
std::string JsonNumber(long long value) { return std::to_string(value); }

}  // namespace torva
