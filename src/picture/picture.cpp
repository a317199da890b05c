#include "picture/picture.h"

#include "picture/cairo_surface.h"
#include "picture/jpeg_decoding.h"

#include <cairo.h>
#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace torva {
namespace {

// False instead of an exception when memory runs out.
bool Allocate(std::vector<std::uint8_t>& bytes, std::size_t size) {
  try {
    bytes.assign(size, 0);
    return true;
  } catch (const std::bad_alloc&) {
    bytes = {};
    return false;
  }
}

class PictureRows : public JpegRows {
 public:
  bool Resize(int width, int height) override {
    picture.width = width;
    picture.height = height;
    return Allocate(picture.rgb, static_cast<std::size_t>(width) * height * 3);
  }
  std::uint8_t* Row(int y) override {
    return picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3;
  }
  Picture picture;
};

// Every chunk of a PNG held in memory must lie within it; libpng would first
// allocate whatever a corrupt chunk length claims (gigabytes) and only then
// find the data missing.
bool PngChunksFit(std::span<const std::uint8_t> bytes) {
  std::size_t at = 8;  // after the signature
  while (at + 12 <= bytes.size()) {
    const std::uint32_t length = (std::uint32_t{bytes[at]} << 24) |
                                 (std::uint32_t{bytes[at + 1]} << 16) |
                                 (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
    if (length > bytes.size() - at - 12) return false;
    if (std::memcmp(&bytes[at + 4], "IEND", 4) == 0) return true;
    at += 12 + std::size_t{length};
  }
  return true;  // the rest is libpng's to judge
}

bool Valid(const Picture& picture) {
  return picture.width > 0 && picture.height > 0 &&
         picture.rgb.size() == static_cast<std::size_t>(picture.width) * picture.height * 3;
}

}  // namespace

Surface NewSurface(int width, int height) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
      !cairo_image_surface_get_data(surface.get()))
    return nullptr;
  return surface;
}

Surface ToSurface(const Picture& picture) {
  Surface surface = NewSurface(picture.width, picture.height);
  if (!surface) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const std::uint8_t* from = picture.rgb.data();
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < picture.width; ++x, from += 3)
      row[x] = (std::uint32_t{from[0]} << 16) | (std::uint32_t{from[1]} << 8) | from[2];
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

void FromSurface(cairo_surface_t* surface, Picture& picture) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  std::uint8_t* to = picture.rgb.data();
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < picture.width; ++x, to += 3) {
      to[0] = static_cast<std::uint8_t>(row[x] >> 16);
      to[1] = static_cast<std::uint8_t>(row[x] >> 8);
      to[2] = static_cast<std::uint8_t>(row[x]);
    }
  }
}

bool PaintScaled(cairo_surface_t* from, cairo_surface_t* to) {
  Context cr(cairo_create(to));
  cairo_scale(
      cr.get(),
      static_cast<double>(cairo_image_surface_get_width(to)) / cairo_image_surface_get_width(from),
      static_cast<double>(cairo_image_surface_get_height(to)) /
          cairo_image_surface_get_height(from));
  cairo_set_source_surface(cr.get(), from, 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(cr.get());
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  // Without padding the edge pixels blend with transparent black.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr.get());
  return cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS;
}

bool PictureSizeAllowed(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

std::optional<Picture> DecodePng(std::span<const std::uint8_t> bytes) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!PngChunksFit(bytes) || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  Picture picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  if (!PictureSizeAllowed(image.width, image.height) ||
      !Allocate(picture.rgb, PNG_IMAGE_SIZE(image))) {
    png_image_free(&image);
    return std::nullopt;
  }
  const png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, picture.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return picture;
}

std::optional<Picture> LoadJpeg(const std::string& path, int fit_width, int fit_height) {
  PictureRows rows;
  if (!DecodeJpegFile(path, fit_width, fit_height, RowLayout::kRgb, rows)) return std::nullopt;
  rows.picture.source = path;
  return std::move(rows.picture);
}

Picture BlankPicture(int width, int height) {
  Picture picture;
  if (width > 0 && height > 0 && !PictureSizeAllowed(width, height)) return picture;
  picture.width = std::max(width, 0);
  picture.height = std::max(height, 0);
  if (!Allocate(picture.rgb, static_cast<std::size_t>(picture.width) * picture.height * 3))
    return Picture{};
  return picture;
}

Picture ScalePicture(const Picture& picture, int width, int height) {
  Picture scaled = BlankPicture(width, height);
  scaled.source = picture.source;
  scaled.caption = picture.caption;
  if (!Valid(picture) || !Valid(scaled)) return scaled;

  Surface source = ToSurface(picture);
  Surface target = NewSurface(width, height);
  if (!source || !target) return scaled;
  const bool painted = PaintScaled(source.get(), target.get());
  if (painted) FromSurface(target.get(), scaled);
  return scaled;
}

void DrawCaption(Picture& picture, const std::string& text, int x, int y, Colour foreground,
                 Colour background) {
  picture.caption = text;
  if (!Valid(picture)) return;

  Surface surface = ToSurface(picture);
  if (!surface) return;
  Context cr(cairo_create(surface.get()));
  cairo_select_font_face(cr.get(), "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr.get(), 14);
  cairo_font_extents_t font;
  cairo_font_extents(cr.get(), &font);
  cairo_text_extents_t extents;
  cairo_text_extents(cr.get(), text.c_str(), &extents);

  cairo_set_source_rgb(cr.get(), background.r / 255.0, background.g / 255.0, background.b / 255.0);
  cairo_rectangle(cr.get(), x, y, extents.x_advance, font.ascent + font.descent);
  cairo_fill(cr.get());
  cairo_set_source_rgb(cr.get(), foreground.r / 255.0, foreground.g / 255.0, foreground.b / 255.0);
  cairo_move_to(cr.get(), x, y + font.ascent);
  cairo_show_text(cr.get(), text.c_str());
  // A failed drawing (Cairo out of memory, text it cannot take) leaves the
  // picture as it was.
  const bool drawn = cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS;
  cr.reset();
  if (drawn) FromSurface(surface.get(), picture);
}

cairo_status_t WriteToFd(void* closure, const unsigned char* data, unsigned int length) {
  const int fd = *static_cast<int*>(closure);
  while (length > 0) {
    const ssize_t written = ::write(fd, data, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return CAIRO_STATUS_WRITE_ERROR;
    data += written;
    length -= static_cast<unsigned int>(written);
  }
  return CAIRO_STATUS_SUCCESS;
}

bool SavePng(const Picture& picture, const std::string& path) {
  if (!Valid(picture)) return false;
  const Surface surface = ToSurface(picture);
  if (!surface) return false;
  // Written beside the file and renamed over it, so that a failed write
  // leaves the earlier picture whole; the temporary name never follows a link.
  const std::string temporary = path + ".part";
  ::unlink(temporary.c_str());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool written =
      cairo_surface_write_to_png_stream(surface.get(), WriteToFd, &fd) == CAIRO_STATUS_SUCCESS;
  written = ::close(fd) == 0 && written;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace torva

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TM_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TM_ADDRESS_SANITIZER)
// Fontconfig, reached through Cairo's font lookup, drops a few hundred bytes
// once per process; that is not ours to fix.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
