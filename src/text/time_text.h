// The renderer's time texts, such as "1h 2m 5s".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torva {

// Ten years: no render prediction or elapsed time beyond it is believable.
constexpr int64_t kLongestBelievableSeconds = 10LL * 366 * 24 * 3600;

// Seconds of a text of hours, minutes and seconds, each part optional
// ("2h 5m 0s", "7m 30s", "45s"); text after the seconds is ignored. Computed in
// 64 bits; sums beyond its range saturate.
int64_t ParseTimeText(std::string_view text);

// `text` starts as a time text does: a number with its unit (h, m or s),
// blanks allowed. "00:00:30" does not, and ParseTimeText would read it as 0.
bool StartsAsTimeText(std::string_view text);

// A time the renderer may really have meant: not negative, at most ten years.
bool BelievableSeconds(int64_t seconds);

// "<h>h<m>m<s>s" without blanks or leading zeros (hours are not folded into days).
std::string FormatTimeText(int64_t seconds);

// "<h>h <m>m <s>s", as the renderer writes its times ("0h 4m 55s").
std::string FormatRendererTimeText(int64_t seconds);

// `seconds` divided by `ratio`, rounded half to even, formatted as above. A
// quotient outside the 64-bit range saturates; a NaN quotient counts as 0.
std::string ScaleSeconds(int64_t seconds, float ratio);

}  // namespace torva
