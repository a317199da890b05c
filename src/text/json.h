// The pieces of the JSON records the commands leave beside their logs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torva {

// `text` in double quotes, with quotes, backslashes and control characters
// escaped (\n, \r, \t by name, others as \u00XX); other bytes as they are.
std::string JsonText(std::string_view text);

// The shortest text that reads back as the same value; "null" for what JSON
// cannot hold (NaN, infinities).
std::string JsonNumber(double value);
std::string JsonNumber(float value);
std::string JsonNumber(long long value);

template <typename T>
std::string JsonOptional(const std::optional<T>& value) {
  return value ? JsonNumber(*value) : "null";
}

}  // namespace torva
