// The renderer's time texts, such as "1h 2m 5s".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torva {

// Seconds of a text of hours, minutes and seconds, each part optional
// ("2h 5m 0s", "7m 30s", "45s"); text after the seconds is ignored. Computed in
// 64 bits; the result is the low 32 bits, signed.
int32_t ParseTimeText(std::string_view text);

// The time of `text` divided by `ratio`, rounded half to even, as "<h>h<m>m<s>s"
// (hours are not folded into days). A quotient outside the 64-bit range
// saturates; a NaN quotient (0 seconds over a ratio of 0) counts as 0.
std::string ScaleTimeText(std::string_view text, float ratio);

}  // namespace torva
