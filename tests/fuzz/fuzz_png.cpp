// PNG decoding, then scaling and a caption: sizes stay within the limits and
// every picture has exactly its pixels.
#include "picture_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz_pictures::Request request = fuzz_pictures::Split(data, size);
  if (const auto picture = torva::DecodePng(request.file))
    fuzz_pictures::ScaleAndCaption(*picture, request);
  return 0;
}
