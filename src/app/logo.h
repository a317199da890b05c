// The logo picture stored inside the program: the bytes of a 405 x 89 RGB
// PNG file, embedded at build time from assets/logo.png.
#pragma once

#include <cstdint>
#include <span>

namespace torva {

std::span<const std::uint8_t> EmbeddedLogoPng();

}  // namespace torva
