// The JSON the program writes, checked against RFC 8259's rules as a strict
// reader applies them: every string is valid UTF-8 (RFC 3629: no overlong
// form, no encoded surrogate, nothing past U+10FFFF) and holds no raw
// control character. Texts come from arbitrary bytes; documents that
// ParseJson accepts are written again and must read back the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>

#include "fuzz_check.h"
#include "text/json.h"

using namespace torva;

namespace {

// Length of the valid UTF-8 sequence at `pos`, 0 when there is none.
std::size_t StrictSequence(std::string_view s, std::size_t pos) {
  const auto b = [&](std::size_t i) -> unsigned {
    return pos + i < s.size() ? static_cast<unsigned char>(s[pos + i]) : 0x100U;
  };
  const auto tail = [&](std::size_t i, unsigned lo = 0x80, unsigned hi = 0xBF) {
    return b(i) >= lo && b(i) <= hi;
  };
  const unsigned lead = b(0);
  if (lead <= 0x7F) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return tail(1) ? 2 : 0;
  if (lead == 0xE0) return tail(1, 0xA0) && tail(2) ? 3 : 0;
  if (lead == 0xED) return tail(1, 0x80, 0x9F) && tail(2) ? 3 : 0;
  if (lead >= 0xE1 && lead <= 0xEF) return tail(1) && tail(2) ? 3 : 0;
  if (lead == 0xF0) return tail(1, 0x90) && tail(2) && tail(3) ? 4 : 0;
  if (lead == 0xF4) return tail(1, 0x80, 0x8F) && tail(2) && tail(3) ? 4 : 0;
  if (lead >= 0xF1 && lead <= 0xF3) return tail(1) && tail(2) && tail(3) ? 4 : 0;
  return 0;
}

bool StrictUtf8(std::string_view s) {
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t n = StrictSequence(s, pos);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

// A JSON string literal as RFC 8259 writes it.
bool StrictString(std::string_view s) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"' || !StrictUtf8(s)) return false;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == '"') return false;
    if (c != '\\') continue;
    if (++i + 1 >= s.size()) return false;
    if (s[i] == 'u') {
      if (i + 4 >= s.size()) return false;
      for (int k = 1; k <= 4; ++k)
        if (!std::isxdigit(static_cast<unsigned char>(s[i + k]))) return false;
      i += 4;
    } else if (std::string_view("\"\\/bfnrt").find(s[i]) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string bytes = input.ConsumeRandomLengthString(256);
  const std::string written = JsonText(bytes);
  FUZZ_CHECK(StrictString(written));
  const std::optional<JsonValue> read = ParseJson(written);
  FUZZ_CHECK(read && read->type == JsonValue::Type::kString);
  // Valid text comes back unchanged; only what was not UTF-8 is replaced.
  if (StrictUtf8(bytes)) FUZZ_CHECK(read->text == bytes);
  FUZZ_CHECK(StrictUtf8(read->text));

  const std::string document = input.ConsumeRemainingBytesAsString();
  if (const std::optional<JsonValue> value = ParseJson(document)) {
    const std::string line = JsonLine(*value);
    FUZZ_CHECK(StrictUtf8(line));
    const std::optional<JsonValue> again = ParseJson(line);
    FUZZ_CHECK(again && JsonLine(*again) == line);
  }
  return 0;
}
