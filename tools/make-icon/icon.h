// The desktop icon: a mark from the logo, drawn for each size so that it
// reads at 48 pixels: the white "T" and orange "m" of "TORVAmeter" on the
// logo's dark ground, a rounded square with its orange band, the corners
// transparent.
#pragma once

#include <string>

namespace torva {

// Writes the `size` x `size` icon as an RGBA PNG file; false for a size out of
// 16 to 1024 or when the file cannot be written.
bool WriteIcon(int size, const std::string& path);

}  // namespace torva
