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

int32_t ParseTimeText(std::string_view text) {
  const long long hours = ReadWholeNumber(TextBefore(text, "h"));
  const long long minutes = ReadWholeNumber(TextBefore(TextAfter(text, "h"), "m"));
  const long long seconds = ReadWholeNumber(TextBefore(TextAfter(text, "m"), "s"));
  // Unsigned arithmetic wraps instead of overflowing on absurd inputs.
  const uint64_t total = static_cast<uint64_t>(hours) * 3600u + static_cast<uint64_t>(minutes) * 60u +
                         static_cast<uint64_t>(seconds);
  return static_cast<int32_t>(static_cast<uint32_t>(total));
}

std::string ScaleTimeText(std::string_view text, float ratio) {
  const int32_t seconds = ParseTimeText(text);
  const int64_t scaled = RoundToInt64(static_cast<double>(seconds) / static_cast<double>(ratio));
  const int64_t hours = scaled / 3600;
  const int64_t minutes = (scaled - hours * 3600) / 60;
  const int64_t rest = scaled - hours * 3600 - minutes * 60;
  return std::to_string(hours) + "h" + std::to_string(minutes) + "m" + std::to_string(rest) + "s";
}

}  // namespace torva
