#include "estimate/prediction_plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace torva {

namespace {

constexpr int kWidth = 800, kHeight = 480;
constexpr double kLeft = 90, kRight = 30, kTop = 56, kBottom = 60;

// A tick step of 1-2-5 seconds, or whole minutes and hours, giving 4 to 10 ticks.
double TickStep(double range) {
  static const double kSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,   300,
                                  600,  900,  1800, 3600,  7200,  10800, 21600, 43200, 86400};
  for (double step : kSteps)
    if (range / step <= 8) return step;
  return std::ceil(range / 8 / 86400) * 86400;
}

// Across: the render time as the renderer counts it (its elapsed time, else
// the program's clock), the time each prediction adds its time left to.
double RenderedAt(const Prediction& p) { return static_cast<double>(p.rendered_seconds); }

struct Axes {
  double x_max, y_max;
  double X(double seconds) const { return kLeft + seconds / x_max * (kWidth - kLeft - kRight); }
  double Y(double seconds) const {
    return kHeight - kBottom - seconds / y_max * (kHeight - kTop - kBottom);
  }
};

void Text(cairo_t* cr, const std::string& text, double x, double y, double align_x) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, x - extents.width * align_x - extents.x_bearing, y);
  cairo_show_text(cr, text.c_str());
}

void DrawGrid(cairo_t* cr, const Axes& axes) {
  cairo_set_font_size(cr, 12);
  cairo_set_line_width(cr, 1);
  const double x_step = TickStep(axes.x_max), y_step = TickStep(axes.y_max);
  for (double x = 0; x <= axes.x_max + 1e-9; x += x_step) {
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, std::round(axes.X(x)) + 0.5, kTop);
    cairo_line_to(cr, std::round(axes.X(x)) + 0.5, kHeight - kBottom);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    Text(cr, AxisTimeLabel(x), axes.X(x), kHeight - kBottom + 18, 0.5);
  }
  for (double y = 0; y <= axes.y_max + 1e-9; y += y_step) {
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, kLeft, std::round(axes.Y(y)) + 0.5);
    cairo_line_to(cr, kWidth - kRight, std::round(axes.Y(y)) + 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    Text(cr, AxisTimeLabel(y), kLeft - 8, axes.Y(y) + 4, 1.0);
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_rectangle(cr, kLeft + 0.5, kTop + 0.5, kWidth - kLeft - kRight, kHeight - kTop - kBottom);
  cairo_stroke(cr);
}

void DrawLabels(cairo_t* cr, const std::string& title) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_font_size(cr, 16);
  Text(cr, title, kWidth / 2.0, 28, 0.5);
  cairo_set_font_size(cr, 13);
  Text(cr, "Render time on this system", (kLeft + kWidth - kRight) / 2, kHeight - 16, 0.5);
  cairo_save(cr);
  cairo_translate(cr, 20, (kTop + kHeight - kBottom) / 2);
  cairo_rotate(cr, -M_PI / 2);
  Text(cr, "Predicted time on the TORVA", 0, 0, 0.5);
  cairo_restore(cr);
}

// The band the last few predictions stay within: narrow when stopping now
// gives a reliable price.
void DrawSettling(cairo_t* cr, const Axes& axes, const std::vector<Prediction>& predictions) {
  const std::optional<Settling> settling = SettlingOf(predictions);
  if (!settling) return;
  const double x0 = axes.X(static_cast<double>(settling->rendered_from));
  const double x1 = axes.X(static_cast<double>(settling->rendered_to));
  const double y0 = axes.Y(static_cast<double>(settling->max_farm_seconds));
  const double y1 = axes.Y(static_cast<double>(settling->min_farm_seconds));
  cairo_set_source_rgba(cr, 0.95, 0.55, 0.16, 0.30);
  cairo_rectangle(cr, x0 - 6, y0 - 3, x1 - x0 + 12, y1 - y0 + 6);
  cairo_fill(cr);
  char spread[64];
  std::snprintf(spread, sizeof spread, "Last %zu predictions within %.1f %%", settling->count,
                settling->Spread() * 100);
  cairo_set_source_rgb(cr, 0.60, 0.30, 0.05);
  cairo_set_font_size(cr, 13);
  Text(cr, spread, kWidth - kRight - 8, kTop + 38, 1.0);
}

void DrawPredictions(cairo_t* cr, const Axes& axes, const std::vector<Prediction>& predictions) {
  cairo_set_source_rgb(cr, 0.10, 0.35, 0.75);
  cairo_set_line_width(cr, 2);
  for (std::size_t i = 0; i < predictions.size(); ++i) {
    const double x = axes.X(RenderedAt(predictions[i]));
    const double y = axes.Y(std::max<int64_t>(0, predictions[i].farm_seconds));
    if (i == 0) cairo_move_to(cr, x, y); else cairo_line_to(cr, x, y);
  }
  cairo_stroke(cr);
  for (const Prediction& p : predictions) {
    cairo_arc(cr, axes.X(RenderedAt(p)), axes.Y(std::max<int64_t>(0, p.farm_seconds)), 3.5, 0,
              2 * M_PI);
    cairo_fill(cr);
  }
  const Prediction& last = predictions.back();
  cairo_set_source_rgb(cr, 0.75, 0.15, 0.10);
  cairo_arc(cr, axes.X(RenderedAt(last)), axes.Y(std::max<int64_t>(0, last.farm_seconds)), 5.5, 0,
            2 * M_PI);
  cairo_fill(cr);
  cairo_set_font_size(cr, 13);
  Text(cr, "Latest: " + last.farm_time_text + " on the TORVA", kWidth - kRight - 8, kTop + 20, 1.0);
}

}  // namespace

std::string AxisTimeLabel(double seconds) {
  const long long s = std::llround(seconds);
  char text[48];
  if (s >= 3600) std::snprintf(text, sizeof text, "%lldh%02lldm", s / 3600, s % 3600 / 60);
  else if (s >= 60) std::snprintf(text, sizeof text, "%lldm%02llds", s / 60, s % 60);
  else std::snprintf(text, sizeof text, "%llds", s);
  return text;
}

bool DrawPredictionPlot(const std::vector<Prediction>& predictions, const std::string& title,
                        const std::string& path) {
  if (predictions.empty()) return false;
  Axes axes{1, 1};
  for (const Prediction& p : predictions) {
    axes.x_max = std::max(axes.x_max, RenderedAt(p) * 1.05);
    axes.y_max = std::max(axes.y_max, static_cast<double>(p.farm_seconds) * 1.15);
  }
  axes.x_max = std::ceil(axes.x_max / TickStep(axes.x_max)) * TickStep(axes.x_max);
  axes.y_max = std::ceil(axes.y_max / TickStep(axes.y_max)) * TickStep(axes.y_max);

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  DrawGrid(cr, axes);
  DrawLabels(cr, title);
  DrawSettling(cr, axes, predictions);
  DrawPredictions(cr, axes, predictions);
  cairo_destroy(cr);

  const std::string temporary = path + ".part";
  const bool written = cairo_surface_write_to_png(surface, temporary.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace torva
