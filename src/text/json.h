// The JSON records the commands leave beside their logs and print for
// --json: values built and written here, and a reader for them.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
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

struct JsonMember;

// A JSON value, as read or as built to be written. Numbers keep their text,
// so that a value printed again is the same to the last digit.
struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  std::string text;  // a string's value, or a number as written
  std::vector<JsonValue> items;
  std::vector<JsonMember> members;  // in their order

  // Values convert as they are: null, true or false, a string, a number as
  // JsonNumber writes it (an integer with every digit), an optional as its
  // value or null.
  JsonValue();
  JsonValue(bool value);
  JsonValue(const char* value);
  JsonValue(std::string value);
  template <typename T>
  requires(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) JsonValue(T value) {
    if constexpr (std::is_integral_v<T>) {
      *this = Numeral(std::to_string(value));
    } else if (std::isfinite(value)) {  // JSON has no NaN or infinity
      *this = Numeral(JsonNumber(value));
    }
  }
  template <typename T>
  JsonValue(const std::optional<T>& value) {
    if (value) *this = JsonValue(*value);
  }
  // A number already written, such as an amount with its two decimals.
  static JsonValue Numeral(std::string text);
  static JsonValue Array();
  static JsonValue Object();

  // Adds a member to an object and returns the object.
  JsonValue& Add(std::string name, JsonValue value);
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

// An object as the records beside the logs are kept: a member a line, a list
// of one of them an item a line, what lies deeper on one line as JsonLine
// writes it; with a line feed at the end.
std::string JsonBlock(const JsonValue& object);

}  // namespace torva
