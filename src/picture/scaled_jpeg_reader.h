// Reads a JPEG file that another program rewrites again and again (the
// renderer's picture) at one shown size, as cheaply as it can: the file is
// decoded straight into the layout the scaler works in, and the buffers are
// kept from one read to the next.
#pragma once

#include <memory>
#include <string>

#include "picture/picture.h"

namespace torva {

class ScaledJpegReader {
 public:
  ScaledJpegReader(int width, int height);
  ~ScaledJpegReader();
  ScaledJpegReader(const ScaledJpegReader&) = delete;
  ScaledJpegReader& operator=(const ScaledJpegReader&) = delete;

  // Puts the file's picture, scaled to the reader's size, into `picture`
  // (its source becomes `path`, its caption stays). False, with `picture`
  // left as it was, when the file cannot be read whole or the size is
  // beyond the picture limits.
  bool Read(const std::string& path, Picture& picture);

 private:
  class Buffers;
  int width_, height_;
  std::unique_ptr<Buffers> buffers_;
};

}  // namespace torva
