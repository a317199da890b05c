// The time texts against 64-bit arithmetic on the reference text helpers, for
// every ratio (zero, negative, tiny, infinite, NaN); a scaled text reads back
// as its seconds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfenv>
#include <cmath>
#include <cstring>

#include "fuzz_check.h"
#include "reference_text.h"
#include "text/time_text.h"

using namespace torva;

namespace {

int64_t ReferenceSeconds(std::string_view text) {
  const long long hours = reference::ReadWholeNumber(reference::TextBefore(text, "h"));
  const long long minutes =
      reference::ReadWholeNumber(reference::TextBefore(reference::TextAfter(text, "h"), "m"));
  const long long seconds =
      reference::ReadWholeNumber(reference::TextBefore(reference::TextAfter(text, "m"), "s"));
  const __int128 total = static_cast<__int128>(hours) * 3600 + static_cast<__int128>(minutes) * 60 +
                         static_cast<__int128>(seconds);
  if (total > INT64_MAX) return INT64_MAX;
  if (total < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(total);
}

int64_t ReferenceScaled(int64_t seconds, float ratio) {
  const double quotient = static_cast<double>(seconds) / static_cast<double>(ratio);
  if (std::isnan(quotient)) return 0;
  if (quotient >= 9223372036854775808.0) return INT64_MAX;
  if (quotient < -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(std::nearbyint(quotient));  // ties to even by default
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const uint32_t bits = input.ConsumeIntegral<uint32_t>();
  float ratio;
  std::memcpy(&ratio, &bits, sizeof ratio);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const int64_t seconds = ParseTimeText(text);
  FUZZ_CHECK(seconds == ReferenceSeconds(text));

  const int64_t scaled = ReferenceScaled(seconds, ratio);
  const int64_t hours = scaled / 3600;
  const int64_t minutes = (scaled - hours * 3600) / 60;
  const int64_t rest = scaled - hours * 3600 - minutes * 60;
  const std::string expected =
      std::to_string(hours) + "h" + std::to_string(minutes) + "m" + std::to_string(rest) + "s";
  const std::string shown = ScaleSeconds(seconds, ratio);
  FUZZ_CHECK(shown == expected);
  // Hours times 3600 may pass the 64-bit range only at saturation.
  if (scaled != INT64_MAX && scaled != INT64_MIN) FUZZ_CHECK(ParseTimeText(shown) == scaled);
  return 0;
}
