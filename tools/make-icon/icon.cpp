#include "icon.h"

#include <cairo.h>

#include <memory>
#include <numbers>

namespace torva {
namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

void RoundedSquare(cairo_t* cr, double left, double side, double radius) {
  constexpr double kPi = std::numbers::pi;
  const double right = left + side, bottom = left + side;
  cairo_new_sub_path(cr);
  cairo_arc(cr, right - radius, left + radius, radius, -kPi / 2, 0);
  cairo_arc(cr, right - radius, bottom - radius, radius, 0, kPi / 2);
  cairo_arc(cr, left + radius, bottom - radius, radius, kPi / 2, kPi);
  cairo_arc(cr, left + radius, left + radius, radius, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

// The logo's colours (assets/make-logo.sh).
void Source(cairo_t* cr, unsigned rgb) {
  cairo_set_source_rgb(cr, (rgb >> 16) / 255.0, ((rgb >> 8) & 0xffU) / 255.0,
                       (rgb & 0xffU) / 255.0);
}

}  // namespace

bool WriteIcon(int size, const std::string& path) {
  if (size < 16 || size > 1024) return false;
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
  std::unique_ptr<cairo_t, ContextDeleter> owner(cairo_create(surface.get()));
  cairo_t* cr = owner.get();
  const double s = size;

  // The ground: the logo's dark gradient in a rounded square, its band below.
  const double margin = s / 16;
  RoundedSquare(cr, margin, s - 2 * margin, s * 0.18);
  cairo_clip(cr);
  std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)> ground(
      cairo_pattern_create_linear(0, 0, 0, s), cairo_pattern_destroy);
  cairo_pattern_add_color_stop_rgb(ground.get(), 0, 0x1b / 255.0, 0x24 / 255.0, 0x33 / 255.0);
  cairo_pattern_add_color_stop_rgb(ground.get(), 1, 0x0b / 255.0, 0x0f / 255.0, 0x17 / 255.0);
  cairo_set_source(cr, ground.get());
  cairo_paint(cr);
  Source(cr, 0xf28c28);
  cairo_rectangle(cr, 0, s - margin - s * 0.11, s, s * 0.11);
  cairo_fill(cr);

  // "T" and "m" side by side, filling most of the square's width.
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, s * 0.5);
  cairo_text_extents_t t{}, m{};
  cairo_text_extents(cr, "T", &t);
  cairo_text_extents(cr, "m", &m);
  const double room = (s - 2 * margin) * 0.84;
  const double fit = room / (t.x_advance + m.x_advance);
  cairo_set_font_size(cr, s * 0.5 * fit);
  cairo_text_extents(cr, "T", &t);
  cairo_text_extents(cr, "m", &m);
  const double width = t.x_advance + m.x_advance - s * 0.04;
  const double left = (s - width) / 2, baseline = s * 0.64;
  Source(cr, 0xffffff);
  cairo_move_to(cr, left, baseline);
  cairo_show_text(cr, "T");
  Source(cr, 0xf28c28);
  cairo_move_to(cr, left + t.x_advance - s * 0.04, baseline);
  cairo_show_text(cr, "m");

  owner.reset();
  return cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace torva
