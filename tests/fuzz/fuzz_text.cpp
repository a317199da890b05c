// TextAfter and TextBefore against a reference that follows their steps on
// whole characters; whole and decimal numbers against plain arithmetic.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "reference_text.h"
#include "text/numbers.h"
#include "text/text.h"

using namespace torva;

namespace {

// The number ReadDecimal is documented to read: white space, a sign, digits
// with one optional ".", an exponent only when digits follow it. strtod on
// exactly that prefix, in the C locale.
double ReferenceDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) && text[i] != '\0') ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
      i = j;
    }
  }
  const std::string number(text.substr(start, i - start));
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string marker = input.ConsumeRandomLengthString(12);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::string after = TextAfter(text, marker);
  const std::string before = TextBefore(text, marker);
  FUZZ_CHECK(after.size() <= text.size());
  FUZZ_CHECK(text.compare(0, before.size(), before) == 0);
  FUZZ_CHECK(after == reference::TextAfter(text, marker));
  FUZZ_CHECK(before == reference::TextBefore(text, marker));

  FUZZ_CHECK(ReadWholeNumber(text) == reference::ReadWholeNumber(text));
  const double decimal = ReadDecimal(text);
  const double expected = ReferenceDecimal(text);
  FUZZ_CHECK(!std::isnan(decimal));
  // Values too small for a normal double may read as 0.
  if (std::fabs(expected) < DBL_MIN)
    FUZZ_CHECK(decimal == 0.0 || decimal == expected);
  else
    FUZZ_CHECK(decimal == expected);
  return 0;
}
