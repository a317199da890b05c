// Pictures as Cairo image surfaces and back: the picture module's and the
// time chart's shared drawing ground. Not for use outside platform/.
#pragma once

#include <cairo.h>

#include <memory>

#include "picture/picture.h"

namespace torva {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// Null when Cairo cannot make the surface (too large, out of memory).
Surface NewSurface(int width, int height);
// Null for the same reasons; `picture` must be valid.
Surface ToSurface(const Picture& picture);
// Paints `from` over the whole of `to`, scaled to fit; false when Cairo fails.
bool PaintScaled(cairo_surface_t* from, cairo_surface_t* to);
// `picture` must already have the surface's size and its pixel bytes.
void FromSurface(cairo_surface_t* surface, Picture& picture);

}  // namespace torva
