// For tests: JPEG files written with libjpeg, as the renderer writes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torva {

// `pixels` row by row, `components` bytes each, in libjpeg's colour space
// `colour_space` (a J_COLOR_SPACE); false when the file cannot be written.
bool WriteJpeg(const std::string& path, int width, int height, int components, int colour_space,
               const std::vector<std::uint8_t>& pixels);

// A plain RGB picture of one colour.
bool WriteJpeg(const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g,
               std::uint8_t b);

}  // namespace torva
