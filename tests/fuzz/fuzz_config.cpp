// The configuration reader and writer: whatever a file holds, writing what was
// read gives ten lines, and reading and writing that again changes nothing.
#include <algorithm>

#include "fuzz_check.h"
#include "state/config/config_file.h"

using namespace torva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ConfigValues first = ParseConfig(AsText(data, size));
  const std::string written = FormatConfig(first);
  FUZZ_CHECK(std::count(written.begin(), written.end(), '\n') == 10);
  FUZZ_CHECK(written.back() == '\n');

  const ConfigValues again = ParseConfig(written);
  FUZZ_CHECK(FormatConfig(again) == written);
  FUZZ_CHECK(!again.MxiSizeLimitMB.has_value());
  // Plain values come back exactly; a line feed cannot be in a line read.
  FUZZ_CHECK(again.MaxwellDir == first.MaxwellDir);
  FUZZ_CHECK(again.LastDir == first.LastDir);
  FUZZ_CHECK(again.CheckUpdates == first.CheckUpdates);
  // An unreadable credential line is never lost.
  FUZZ_CHECK(again.unreadable_login_line == first.unreadable_login_line);
  FUZZ_CHECK(again.unreadable_password_line == first.unreadable_password_line);
  const bool had_login = first.FarmLogin.find_first_not_of(' ') != std::string::npos;
  if (had_login) FUZZ_CHECK(DecodeCredential(EncodeCredential(first.FarmLogin)) == again.FarmLogin);
  return 0;
}
