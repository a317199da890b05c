#include "benchmark/estimate_plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

namespace torva {
namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

constexpr double kLeft = 62, kRight = 16, kTop = 34, kBottom = 42;

// A round step that cuts `range` into about four parts.
double TickStep(double range) {
  const double rough = range / 4;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double factor : {1.0, 2.0, 5.0})
    if (factor * power >= rough) return factor * power;
  return 10 * power;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, value == std::floor(value) ? "%.0f" : "%.1f", value);
  return text;
}

void Text(cairo_t* cr, const std::string& text, double x, double y, double align) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, x - align * extents.x_advance, y);
  cairo_show_text(cr, text.c_str());
}

Picture ToPicture(cairo_surface_t* surface, int width, int height) {
  cairo_surface_flush(surface);
  Picture picture = BlankPicture(width, height);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  std::uint8_t* to = picture.rgb.data();
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < width; ++x, to += 3) {
      to[0] = static_cast<std::uint8_t>(row[x] >> 16);
      to[1] = static_cast<std::uint8_t>(row[x] >> 8);
      to[2] = static_cast<std::uint8_t>(row[x]);
    }
  }
  return picture;
}

}  // namespace

Picture DrawEstimatePlot(const std::vector<EstimateReading>& estimates,
                         std::optional<long long> mean_seconds, int width, int height) {
  if (width <= kLeft + kRight || height <= kTop + kBottom) return BlankPicture(width, height);
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  Context owner(cairo_create(surface.get()));
  cairo_t* cr = owner.get();
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

  // Minutes upwards, seconds since PHASE 1 began to the right.
  double x_max = 1, y_max = 1;
  for (const EstimateReading& e : estimates) {
    x_max = std::max(x_max, e.elapsed_seconds);
    y_max = std::max(y_max, e.WholeSeconds() / 60.0);
  }
  const double x_step = TickStep(x_max), y_step = TickStep(y_max * 1.1);
  x_max = std::ceil(x_max / x_step) * x_step;
  y_max = std::ceil(y_max * 1.1 / y_step) * y_step;
  const double plot_w = width - kLeft - kRight, plot_h = height - kTop - kBottom;
  auto px = [&](double seconds) { return kLeft + seconds / x_max * plot_w; };
  auto py = [&](double minutes) { return kTop + plot_h - minutes / y_max * plot_h; };

  cairo_set_font_size(cr, 11);
  cairo_set_line_width(cr, 1);
  for (double v = 0; v <= y_max + y_step / 2; v += y_step) {
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, kLeft, std::round(py(v)) + 0.5);
    cairo_line_to(cr, width - kRight, std::round(py(v)) + 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    Text(cr, Number(v), kLeft - 6, py(v) + 4, 1);
  }
  for (double v = 0; v <= x_max + x_step / 2; v += x_step) {
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    Text(cr, Number(v), px(v), height - kBottom + 15, 0.5);
  }
  cairo_rectangle(cr, kLeft + 0.5, kTop + 0.5, plot_w - 1, plot_h - 1);
  cairo_stroke(cr);
  Text(cr, "seconds since PHASE 1 began", kLeft + plot_w / 2, height - 8, 0.5);
  cairo_save(cr);
  cairo_translate(cr, 16, kTop + plot_h / 2);
  cairo_rotate(cr, -M_PI / 2);
  Text(cr, "minutes for the whole render", 0, 0, 0.5);
  cairo_restore(cr);
  cairo_set_font_size(cr, 13);
  Text(cr, "Predicted render time to SL=20 on this system", width / 2.0, 20, 0.5);

  if (mean_seconds) {
    cairo_set_source_rgb(cr, 0.95, 0.55, 0.16);
    const double dashes[] = {6, 4};
    cairo_set_dash(cr, dashes, 2, 0);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, kLeft, py(*mean_seconds / 60.0));
    cairo_line_to(cr, width - kRight, py(*mean_seconds / 60.0));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_font_size(cr, 11);
    Text(cr, "mean " + Number(std::round(*mean_seconds / 6.0) / 10) + " min", width - kRight - 4,
         py(*mean_seconds / 60.0) - 5, 1);
  }

  cairo_set_source_rgb(cr, 0.1, 0.3, 0.7);
  cairo_set_line_width(cr, 2);
  for (std::size_t i = 0; i < estimates.size(); ++i) {
    const double x = px(estimates[i].elapsed_seconds), y = py(estimates[i].WholeSeconds() / 60.0);
    if (i == 0) cairo_move_to(cr, x, y); else cairo_line_to(cr, x, y);
  }
  cairo_stroke(cr);
  for (const EstimateReading& e : estimates) {
    cairo_arc(cr, px(e.elapsed_seconds), py(e.WholeSeconds() / 60.0), 3.5, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  owner.reset();
  return ToPicture(surface.get(), width, height);
}

}  // namespace torva
