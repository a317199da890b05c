// Base64 and the credential blocks: bytes survive encoding and the strict and
// loose decoders; a decoded value is stable once stored; a short value comes
// back exactly.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "state/config/base64.h"
#include "state/config/config_file.h"
#include "text/utf8.h"

using namespace torva;

namespace {

// A value the program stores unchanged: up to 19 characters below U+10000,
// none of them U+0000 or a surrogate.
std::string ShortValue(FuzzedDataProvider& input) {
  std::string value;
  const int count = input.ConsumeIntegralInRange(0, 19);
  for (int i = 0; i < count; ++i) {
    char32_t code = input.ConsumeIntegralInRange<char32_t>(1, 0xFFFF);
    if (code >= 0xD800 && code <= 0xDFFF) code = 'x';
    AppendUtf8(value, code);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = AsText(data, size);

  const std::string encoded = EncodeBase64(bytes);
  FUZZ_CHECK(encoded.size() == (bytes.size() + 2) / 3 * 4);
  FUZZ_CHECK(DecodeBase64(encoded) == std::string(bytes));
  if (!bytes.empty()) {
    FUZZ_CHECK(DecodeBase64Loosely(encoded) == std::string(bytes));
    std::string edited = encoded;
    while (edited.back() == '=') edited.pop_back();
    FUZZ_CHECK(DecodeBase64Loosely(" " + edited + " \r") == std::string(bytes));
  }

  // Any text through the decoders: what they accept is consistent.
  if (const auto strict = DecodeBase64(bytes)) {
    FUZZ_CHECK(DecodeBase64Loosely(bytes) == (strict->empty() ? std::nullopt : strict));
  }
  if (const auto loose = DecodeBase64Loosely(bytes)) {
    FUZZ_CHECK(!loose->empty());
    FUZZ_CHECK(DecodeBase64Loosely(EncodeBase64(*loose)) == loose);
  }

  // A stored line read and stored again reads back the same.
  const std::string value = DecodeCredential(bytes);
  FUZZ_CHECK(DecodeCredential(EncodeCredential(value)) == value);
  FUZZ_CHECK(EncodeCredential(value).size() == 56);
  FUZZ_CHECK(
      CredentialLineUnreadable(bytes) ==
      (bytes.find_first_not_of(" \t\r") != std::string_view::npos && !DecodeBase64Loosely(bytes)));

  FuzzedDataProvider input(data, size);
  const std::string short_value = ShortValue(input);
  FUZZ_CHECK(DecodeCredential(EncodeCredential(short_value)) == short_value);
  return 0;
}
