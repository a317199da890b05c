#include "picture/jpeg_decoding.h"

#include <unistd.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "picture/picture.h"
#include "text/whole_file.h"

namespace torva {
namespace {

std::atomic<long long> decoded_jpegs{0};

// Every Huffman-coded JPEG spends at least one bit on each 8 x 8 block of its
// first component; a file much smaller than its header claims is corrupt.
// Beyond that, a picture may not unpack to more than kMaxJpegExpansion times
// its file: a plain black 1536 x 2048 render is about 760 times, while a
// small file claiming a huge picture would cost hundreds of megabytes a load.
constexpr long long kMaxJpegExpansion = 1000;

bool JpegBigEnough(const jpeg_decompress_struct& info, long long file_bytes) {
  const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
  if (pixels * 3 > file_bytes * kMaxJpegExpansion) return false;
  if (info.arith_code) return true;
  const long long blocks = ((info.image_width + 7LL) / 8) * ((info.image_height + 7LL) / 8);
  return file_bytes * 8 >= blocks;
}

struct JpegErrors {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  bool premature_end = false;
};

void JpegFatal(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void JpegWarning(j_common_ptr info, int level) {
  // Only warnings (level -1) matter: a file that ends early is one the
  // renderer is still writing.
  if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<JpegErrors*>(info->err)->premature_end = true;
}

void JpegSilent(j_common_ptr) {}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The largest reduction libjpeg can decode at (1/2, 1/4, 1/8) that still
// leaves at least `fit_width` x `fit_height` pixels: a big render shown
// small costs a fraction of its full decoding.
unsigned int ReductionFor(const jpeg_decompress_struct& info, int fit_width, int fit_height) {
  if (fit_width <= 0 || fit_height <= 0) return 1;
  for (unsigned int denominator : {8u, 4u, 2u}) {
    const long long width = (info.image_width + denominator - 1) / denominator;
    const long long height = (info.image_height + denominator - 1) / denominator;
    if (width >= fit_width && height >= fit_height) return denominator;
  }
  return 1;
}

// Cairo's words straight from libjpeg-turbo when it has the layout;
// otherwise RGB rows converted one by one.
#if defined(JCS_EXTENSIONS) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kDirectCairoRows = true;
constexpr J_COLOR_SPACE kCairoSpace = JCS_EXT_BGRX;
#elif defined(JCS_EXTENSIONS)
constexpr bool kDirectCairoRows = true;
constexpr J_COLOR_SPACE kCairoSpace = JCS_EXT_XRGB;
#else
constexpr bool kDirectCairoRows = false;
constexpr J_COLOR_SPACE kCairoSpace = JCS_RGB;
#endif

void RgbToCairoRow(const std::uint8_t* rgb, int width, std::uint8_t* out) {
  auto* words = reinterpret_cast<std::uint32_t*>(out);
  for (int x = 0; x < width; ++x, rgb += 3)
    words[x] = (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
}

// Kept free of C++ objects with destructors between setjmp and longjmp;
// `spare_row` is made by the caller.
bool Decode(std::FILE* file, long long file_bytes, int fit_width, int fit_height, RowLayout layout,
            JpegRows& rows, std::vector<std::uint8_t>& spare_row) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JpegFatal;
  errors.base.emit_message = JpegWarning;
  errors.base.output_message = JpegSilent;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK ||
      !PictureSizeAllowed(info.image_width, info.image_height) ||
      !JpegBigEnough(info, file_bytes)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  const bool convert = layout == RowLayout::kCairoRgb24 && !kDirectCairoRows;
  info.out_color_space = layout == RowLayout::kCairoRgb24 ? kCairoSpace : JCS_RGB;
  info.scale_num = 1;
  info.scale_denom = ReductionFor(info, fit_width, fit_height);
  jpeg_calc_output_dimensions(&info);
  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  if (!PictureSizeAllowed(width, height) || !rows.Resize(width, height) ||
      (convert && spare_row.size() < static_cast<std::size_t>(width) * 3)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    std::uint8_t* target = rows.Row(static_cast<int>(info.output_scanline));
    JSAMPROW row = convert ? spare_row.data() : target;
    jpeg_read_scanlines(&info, &row, 1);
    if (convert) RgbToCairoRow(row, width, target);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return !errors.premature_end;
}

// The widest row a converted decoding may need, made before decoding starts.
std::vector<std::uint8_t> SpareRow(RowLayout layout) {
  if (layout == RowLayout::kRgb || kDirectCairoRows) return {};
  try {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(kMaxPictureSide) * 3);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace

bool DecodeJpegFile(const std::string& path, int fit_width, int fit_height, RowLayout layout,
                    JpegRows& rows) {
  long long bytes = 0;
  const int fd = OpenRegularFile(path, &bytes);
  if (fd < 0) return false;
  std::unique_ptr<std::FILE, FileCloser> file(fdopen(fd, "rb"));
  if (!file) {
    close(fd);
    return false;
  }
  ++decoded_jpegs;
  std::vector<std::uint8_t> spare_row = SpareRow(layout);
  return Decode(file.get(), bytes, fit_width, fit_height, layout, rows, spare_row);
}

long long DecodedJpegCount() { return decoded_jpegs; }

}  // namespace torva
