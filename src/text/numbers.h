// Numbers read from and written to text, always with "." as the decimal
// point whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace torva {

// A decimal number at the start of `text`: white space, an optional sign,
// digits with an optional "." and exponent; reading stops at the first
// character that cannot continue the number. No number gives 0; a value too
// large for a double gives +/-infinity, one too small gives 0.
double ReadDecimal(std::string_view text);

// A whole number at the start of `text`: blanks and tabs, an optional sign,
// then digits up to the first other character. No digits give 0. Values past
// the range of long long saturate at its limits.
long long ReadWholeNumber(std::string_view text);

// `value` with exactly `decimals` decimals (0 to 100), e.g. "1.50".
std::string FormatFixed(double value, int decimals);

}  // namespace torva
