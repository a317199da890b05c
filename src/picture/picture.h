// Pictures shown by the windows: decoded from PNG or JPEG, scaled, and
// captioned without any display, so that both desktops share this code.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace torva {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
};

// A caption the desktop draws over the pixels rather than into them: one
// line with its top-left corner at (x, y) on a filled box, as DrawCaption
// would, so that a picture refreshed often is not converted to change a line.
struct CaptionOverlay {
  int x = 0, y = 0;
  Colour foreground{255, 255, 255}, background{0, 0, 0};
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;          // width * height * 3 bytes, row by row
  std::string source;                     // the file it was loaded from, if any
  std::string caption;                    // the text drawn into or over it, if any
  std::optional<CaptionOverlay> overlay;  // set when `caption` is drawn over it
};

// No picture is decoded, made or scaled beyond these (Cairo stops at 32767 on
// a side; a corrupt header must not cost gigabytes).
constexpr int kMaxPictureSide = 16384;
constexpr long long kMaxPicturePixels = 64LL * 1024 * 1024;
bool PictureSizeAllowed(long long width, long long height);

// nullopt for anything unreadable or beyond the limits. A JPEG that ends early
// (one the renderer is still writing) counts as unreadable, and so does
// anything but a regular file: a link, or a FIFO, which is never waited on.
std::optional<Picture> DecodePng(std::span<const std::uint8_t> bytes);
// With a size to fit, a picture at least twice as large in both directions
// is decoded reduced (by 2, 4 or 8), never below that size.
std::optional<Picture> LoadJpeg(const std::string& path, int fit_width = 0, int fit_height = 0);
// How many JPEG files this process has decoded (LoadJpeg and every
// ScaledJpegReader): previews count their work with it.
long long DecodedJpegCount();
// A blank (black) picture; an empty one (0 x 0) beyond the limits or when
// memory runs out. A side of 0 or less gives a picture without pixels.
Picture BlankPicture(int width, int height);
// `picture` scaled to the given size. An unusable `picture` gives a blank one
// of that size; a size beyond the limits gives an empty picture.
Picture ScalePicture(const Picture& picture, int width, int height);
// Draws one line of text with its top-left corner at (x, y), on a filled
// background box, and records it as the picture's caption. When the drawing
// fails the pixels stay as they were.
void DrawCaption(Picture& picture, const std::string& text, int x, int y, Colour foreground,
                 Colour background);
// Writes `picture` as a PNG file, whole or not at all: an earlier file at
// `path` stays as it was when this fails. False for an empty or inconsistent
// picture, or when the file cannot be written.
bool SavePng(const Picture& picture, const std::string& path);

}  // namespace torva
