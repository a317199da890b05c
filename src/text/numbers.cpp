#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>

namespace torva {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// What from_chars cannot give for an out-of-range number: decide from the
// decimal magnitude whether it overflowed or underflowed.
double OutOfRange(std::string_view mantissa, long long exponent, bool negative) {
  long long magnitude = 0;
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  for (std::size_t i = 0; i < mantissa.size(); ++i) {
    if (mantissa[i] == '.' || mantissa[i] == '0') continue;
    magnitude =
        i < point ? static_cast<long long>(point - i) - 1 : -static_cast<long long>(i - point);
    break;
  }
  const double inf = std::numeric_limits<double>::infinity();
  const double result = magnitude + exponent > 0 ? inf : 0.0;
  return negative ? -result : result;
}

}  // namespace

double ReadDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  const std::size_t start = i;
  std::size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return 0.0;
  const std::string_view mantissa = text.substr(start, i - start);

  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool exp_negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exp_negative = text[j++] == '-';
    if (j < text.size() && IsDigit(text[j])) {
      for (; j < text.size() && IsDigit(text[j]); ++j) {
        exponent = std::min(exponent * 10 + (text[j] - '0'), 1'000'000'000LL);
      }
      if (exp_negative) exponent = -exponent;
      i = j;
    }
  }

  std::string number(negative ? "-" : "");
  number.append(text.substr(start, i - start));
  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) return OutOfRange(mantissa, exponent, negative);
  if (error != std::errc()) return 0.0;
  return value;
}

long long ReadWholeNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // Accumulated negatively, so that LLONG_MIN itself is reachable.
  long long value = 0;
  bool saturated = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    const int digit = text[i] - '0';
    if (saturated) continue;
    if (value < (LLONG_MIN + digit) / 10) {
      saturated = true;
      continue;
    }
    value = value * 10 - digit;
  }
  if (negative) return saturated ? LLONG_MIN : value;
  if (saturated || value == LLONG_MIN) return LLONG_MAX;
  return -value;
}

std::string FormatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, 100);
  char buffer[std::numeric_limits<double>::max_exponent10 + 128];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return {};
  return std::string(buffer, end);
}

}  // namespace torva
