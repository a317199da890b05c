#include "picture/scaled_jpeg_reader.h"

#include <new>

#include "picture/cairo_surface.h"
#include "picture/jpeg_decoding.h"

namespace torva {

// The decoded picture, kept while the file keeps its size, and the scaled one.
class ScaledJpegReader::Buffers : public JpegRows {
 public:
  bool Resize(int width, int height) override {
    if (decoded && cairo_image_surface_get_width(decoded.get()) == width &&
        cairo_image_surface_get_height(decoded.get()) == height)
      return Prepare();
    decoded = NewSurface(width, height);
    return decoded && Prepare();
  }
  std::uint8_t* Row(int y) override { return data_ + static_cast<std::size_t>(y) * stride_; }

  Surface decoded, scaled;

 private:
  bool Prepare() {
    cairo_surface_flush(decoded.get());
    data_ = cairo_image_surface_get_data(decoded.get());
    stride_ = cairo_image_surface_get_stride(decoded.get());
    return data_ != nullptr;
  }
  std::uint8_t* data_ = nullptr;
  int stride_ = 0;
};

ScaledJpegReader::ScaledJpegReader(int width, int height)
    : width_(width), height_(height), buffers_(std::make_unique<Buffers>()) {}

ScaledJpegReader::~ScaledJpegReader() = default;

bool ScaledJpegReader::Read(const std::string& path, Picture& picture) {
  if (!PictureSizeAllowed(width_, height_)) return false;
  Buffers& b = *buffers_;
  if (!DecodeJpegFile(path, width_, height_, RowLayout::kCairoRgb24, b)) return false;
  cairo_surface_mark_dirty(b.decoded.get());
  if (!b.scaled) b.scaled = NewSurface(width_, height_);
  if (!b.scaled || !PaintScaled(b.decoded.get(), b.scaled.get())) return false;

  const std::size_t bytes = static_cast<std::size_t>(width_) * height_ * 3;
  if (picture.rgb.size() != bytes) {
    try {
      picture.rgb.resize(bytes);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  picture.width = width_;
  picture.height = height_;
  FromSurface(b.scaled.get(), picture);
  picture.source = path;
  return true;
}

}  // namespace torva
