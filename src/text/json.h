// The pieces of the JSON records the commands leave beside their logs, and a
// reader for them (the runs without a window print a record back).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace torva {

// `text` in double quotes, with quotes, backslashes and control characters
// escaped (\n, \r, \t by name, others as \u00XX); bytes that are not UTF-8
// become U+FFFD, so the result is always valid UTF-8.
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

struct JsonMember;

// A JSON value as read. Numbers keep their text, so that a value printed
// again is the same to the last digit.
struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  std::string text;  // a string's value, or a number as written
  std::vector<JsonValue> items;
  std::vector<JsonMember> members;  // in their order

  // The member named `key` of an object; nullptr when there is none.
  const JsonValue* Find(std::string_view key) const;
  double Number() const;  // 0 unless a number
};

// A member of an object: its name and its value.
struct JsonMember {
  JsonMember() = default;
  JsonMember(std::string name, JsonValue value)
      : first(std::move(name)), second(std::move(value)) {}
  std::string first;
  JsonValue second;
};

// One value, with white space around it and nothing else; nullopt when the
// text is not JSON (or nests deeper than 64 levels).
std::optional<JsonValue> ParseJson(std::string_view text);

// The value on one line, members in their order.
std::string JsonLine(const JsonValue& value);

}  // namespace torva
