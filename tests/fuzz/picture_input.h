// For the picture targets: the input is a picture file followed by five bytes
// that choose the size it is scaled to and where a caption goes.
#pragma once

#include <climits>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz_check.h"
#include "picture/picture.h"

namespace fuzz_pictures {

struct Request {
  std::span<const std::uint8_t> file;
  int width = 0, height = 0;
  int x = 0, y = 0;
};

inline Request Split(const std::uint8_t* data, std::size_t size) {
  Request r;
  if (size < 5) return r;
  r.file = std::span(data, size - 5);
  const std::uint8_t* p = data + size - 5;
  // Mostly small sizes (cheap to scale), sometimes the awkward ones.
  static constexpr int kAwkward[] = {0, -1, 1, 16384, 16385, 32767, 32768, 65536, INT_MAX, INT_MIN};
  r.width = p[4] & 1 ? kAwkward[p[0] % 10] : p[0] * 4 + p[1] % 4;
  r.height = p[4] & 2 ? kAwkward[p[1] % 10] : p[2] * 2 + p[3] % 2;
  r.x = p[2] % 64 - 8;
  r.y = p[3] % 64 - 8;
  return r;
}

// Checks a decoded picture, scales and captions it, and checks the results.
inline void ScaleAndCaption(const torva::Picture& picture, const Request& r) {
  FUZZ_CHECK(torva::PictureSizeAllowed(picture.width, picture.height));
  FUZZ_CHECK(picture.rgb.size() == static_cast<std::size_t>(picture.width) * picture.height * 3);

  torva::Picture scaled = torva::ScalePicture(picture, r.width, r.height);
  if (r.width > 0 && r.height > 0 && !torva::PictureSizeAllowed(r.width, r.height)) {
    FUZZ_CHECK(scaled.width == 0 && scaled.height == 0 && scaled.rgb.empty());
    return;
  }
  FUZZ_CHECK(scaled.rgb.size() ==
             static_cast<std::size_t>(std::max(r.width, 0)) * std::max(r.height, 0) * 3);
  const std::size_t before = scaled.rgb.size();
  const std::string text = "Current SL = " + std::to_string(r.x) + "." + std::to_string(r.y);
  torva::DrawCaption(scaled, text, r.x, r.y, {255, 255, 255}, {0, 0, 0});
  FUZZ_CHECK(scaled.rgb.size() == before);
  FUZZ_CHECK(scaled.caption == text);
}

}  // namespace fuzz_pictures
