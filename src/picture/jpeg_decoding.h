// Decoding JPEG files into rows the caller provides: shared by the picture
// module and the preview reader. Not for use outside platform/.
#pragma once

#include <cstdint>
#include <string>

namespace torva {

enum class RowLayout {
  kRgb,         // 3 bytes a pixel: red, green, blue
  kCairoRgb24,  // one native 32-bit word a pixel, 0x00RRGGBB, as Cairo keeps it
};

// Where the decoded rows go.
class JpegRows {
 public:
  virtual ~JpegRows() = default;
  // Room for a picture of this size; false when there is none. Called once,
  // before the first row.
  virtual bool Resize(int width, int height) = 0;
  virtual std::uint8_t* Row(int y) = 0;
};

// Decodes the regular file at `path` (opened as OpenRegularFile does) into `rows`; false for
// anything unreadable, beyond the picture limits, or ending early (one still being written); each
// attempt counts in DecodedJpegCount. With a size to fit, a picture at least twice as large in both
// directions is decoded reduced (by 2, 4 or 8), never below that size.
bool DecodeJpegFile(const std::string& path, int fit_width, int fit_height, RowLayout layout,
                    JpegRows& rows);

}  // namespace torva
