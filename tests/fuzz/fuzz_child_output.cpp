// The child-output reader: a child (cat) writes the input, and the lines taken
// are the input's lines, in order, each cut at the line limit, the last one
// also without its line feed.
#include <unistd.h>

#include "fuzz_check.h"
#include "platform/child_process.h"

using namespace torva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/torva-fuzz-child-" + std::to_string(getpid());
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
  }
  std::vector<std::string> expected;
  const std::string_view text = AsText(data, size);
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    expected.emplace_back(text.substr(start, std::min(end - start, ChildProcess::kMaxLineBytes)));
    start = end + 1;
  }

  auto child = ChildProcess::Start("/bin/cat", {path}, "/").child;
  FUZZ_CHECK(child);
  std::vector<std::string> lines;
  while (!child->OutputEnded()) {
    child->WaitForLine(10000);
    while (child->HasLine()) lines.push_back(child->TakeLine());
  }
  FUZZ_CHECK(child->Wait() == 0);
  FUZZ_CHECK(lines == expected);
  return 0;
}
