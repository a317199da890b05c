#include "text/time_text.h"

#include <cmath>
#include <limits>

#include "text/numbers.h"
#include "text/text.h"

namespace torva {

namespace {

// Rounds half to even; saturates outside the range of int64_t.
int64_t RoundToInt64(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  constexpr double kLimit = 9223372036854775808.0;
  if (value >= kLimit) return std::numeric_limits<int64_t>::max();
  if (value < -kLimit) return std::numeric_limits<int64_t>::min();
  double whole = std::round(value);  // half away from zero
  if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(whole, 2.0) != 0.0) {
    whole -= std::copysign(1.0, value);
  }
  return static_cast<int64_t>(whole);
}

}  // namespace

int64_t ParseTimeText(std::string_view text) {
  const long long hours = ReadWholeNumber(TextBefore(text, "h"));
  const long long minutes = ReadWholeNumber(TextBefore(TextAfter(text, "h"), "m"));
  const long long seconds = ReadWholeNumber(TextBefore(TextAfter(text, "m"), "s"));
  // Wide enough for any three long longs scaled by 3600 and 60.
  const __int128 total =
      static_cast<__int128>(hours) * 3600 + static_cast<__int128>(minutes) * 60 + seconds;
  if (total > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (total < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(total);
}

bool StartsAsTimeText(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  const std::size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (digits == std::string_view::npos || i == digits) return false;
  while (i < text.size() && text[i] == ' ') ++i;
  return i < text.size() && (text[i] == 'h' || text[i] == 'm' || text[i] == 's');
}

bool BelievableSeconds(int64_t seconds) {
  return seconds >= 0 && seconds <= kLongestBelievableSeconds;
}

std::string FormatTimeText(int64_t seconds) {
  const int64_t hours = seconds / 3600;
  const int64_t minutes = (seconds - hours * 3600) / 60;
  const int64_t rest = seconds - hours * 3600 - minutes * 60;
  return std::to_string(hours) + "h" + std::to_string(minutes) + "m" + std::to_string(rest) + "s";
}

std::string FormatRendererTimeText(int64_t seconds) {
  const int64_t hours = seconds / 3600;
  const int64_t minutes = (seconds - hours * 3600) / 60;
  return std::to_string(hours) + "h " + std::to_string(minutes) + "m " +
         std::to_string(seconds - hours * 3600 - minutes * 60) + "s";
}

std::string ScaleSeconds(int64_t seconds, float ratio) {
  return FormatTimeText(RoundToInt64(static_cast<double>(seconds) / static_cast<double>(ratio)));
}

}  // namespace torva
