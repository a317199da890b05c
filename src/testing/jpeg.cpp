#include "testing/jpeg.h"

#include <cstdio>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace torva {

bool WriteJpeg(const std::string& path, int width, int height, int components, int colour_space,
               const std::vector<std::uint8_t>& pixels) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = static_cast<J_COLOR_SPACE>(colour_space);
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(pixels.data()) +
                   static_cast<std::size_t>(info.next_scanline) * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

bool WriteJpeg(const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g,
               std::uint8_t b) {
  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b});
  return WriteJpeg(path, width, height, 3, JCS_RGB, pixels);
}

}  // namespace torva
