// JPEG decoding (from a file, as the renderer leaves them), then scaling and a
// caption: sizes stay within the limits and every picture has exactly its
// pixels.
#include <sys/mman.h>
#include <unistd.h>

#include "picture_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One file in memory for the whole run, rewritten for each input.
  static const int fd = memfd_create("fuzz.jpg", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  FUZZ_CHECK(fd >= 0);
  const fuzz_pictures::Request request = fuzz_pictures::Split(data, size);
  FUZZ_CHECK(ftruncate(fd, 0) == 0);
  FUZZ_CHECK(pwrite(fd, request.file.data(), request.file.size(), 0) ==
             static_cast<ssize_t>(request.file.size()));
  if (const auto picture = torva::LoadJpeg(path)) {
    FUZZ_CHECK(picture->source == path);
    fuzz_pictures::ScaleAndCaption(*picture, request);
  }
  return 0;
}
