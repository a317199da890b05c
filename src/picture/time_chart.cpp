#include "picture/time_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "picture/cairo_surface.h"

namespace torva {
namespace {

constexpr double kLeft = 78, kRight = 20, kTop = 48, kBottom = 52;

// A tick step of 1-2-5 seconds, or whole minutes and hours, giving 4 to 8 ticks.
double TickStep(double range) {
  static const double kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                  600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  for (double step : kSteps)
    if (range / step <= 8) return step;
  return std::ceil(range / 8 / 86400) * 86400;
}

double RoundedUp(double value) { return std::ceil(value / TickStep(value)) * TickStep(value); }

struct Axes {
  double width, height, x_max, y_max;
  double X(double seconds) const { return kLeft + seconds / x_max * (width - kLeft - kRight); }
  double Y(double seconds) const {
    return height - kBottom - std::max(0.0, seconds) / y_max * (height - kTop - kBottom);
  }
};

Axes AxesFor(const TimeChart& chart) {
  double x_max = 1, y_max = 1;
  for (const ChartPoint& p : chart.points) {
    x_max = std::max(x_max, p.x * 1.05);
    y_max = std::max(y_max, p.y * 1.15);
  }
  if (chart.mean_y) y_max = std::max(y_max, *chart.mean_y * 1.15);
  return {static_cast<double>(chart.width), static_cast<double>(chart.height), RoundedUp(x_max),
          RoundedUp(y_max)};
}

void SetColour(cairo_t* cr, double r, double g, double b) { cairo_set_source_rgb(cr, r, g, b); }

// `align` 0 puts the text's left edge at x, 0.5 its middle, 1 its right edge.
void Text(cairo_t* cr, const std::string& text, double x, double y, double align) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, x - extents.width * align - extents.x_bearing, y);
  cairo_show_text(cr, text.c_str());
}

void DrawGrid(cairo_t* cr, const Axes& axes) {
  cairo_set_font_size(cr, 11);
  cairo_set_line_width(cr, 1);
  const double x_step = TickStep(axes.x_max), y_step = TickStep(axes.y_max);
  for (double x = 0; x <= axes.x_max + 1e-9; x += x_step) {
    SetColour(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, std::round(axes.X(x)) + 0.5, kTop);
    cairo_line_to(cr, std::round(axes.X(x)) + 0.5, axes.height - kBottom);
    cairo_stroke(cr);
    SetColour(cr, 0.2, 0.2, 0.2);
    Text(cr, AxisTimeLabel(x), axes.X(x), axes.height - kBottom + 16, 0.5);
  }
  for (double y = 0; y <= axes.y_max + 1e-9; y += y_step) {
    SetColour(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, kLeft, std::round(axes.Y(y)) + 0.5);
    cairo_line_to(cr, axes.width - kRight, std::round(axes.Y(y)) + 0.5);
    cairo_stroke(cr);
    SetColour(cr, 0.2, 0.2, 0.2);
    Text(cr, AxisTimeLabel(y), kLeft - 7, axes.Y(y) + 4, 1.0);
  }
  SetColour(cr, 0, 0, 0);
  cairo_rectangle(cr, kLeft + 0.5, kTop + 0.5, axes.width - kLeft - kRight,
                  axes.height - kTop - kBottom);
  cairo_stroke(cr);
}

void DrawLabels(cairo_t* cr, const TimeChart& chart, const Axes& axes) {
  SetColour(cr, 0, 0, 0);
  cairo_set_font_size(cr, 14);
  Text(cr, chart.title, axes.width / 2, 26, 0.5);
  cairo_set_font_size(cr, 12);
  Text(cr, chart.x_label, (kLeft + axes.width - kRight) / 2, axes.height - 12, 0.5);
  cairo_save(cr);
  cairo_translate(cr, 18, (kTop + axes.height - kBottom) / 2);
  cairo_rotate(cr, -M_PI / 2);
  Text(cr, chart.y_label, 0, 0, 0.5);
  cairo_restore(cr);
}

void DrawMean(cairo_t* cr, const TimeChart& chart, const Axes& axes) {
  if (!chart.mean_y) return;
  const double y = axes.Y(*chart.mean_y);
  SetColour(cr, 0.95, 0.55, 0.16);
  const double dashes[] = {6, 4};
  cairo_set_dash(cr, dashes, 2, 0);
  cairo_set_line_width(cr, 1.5);
  cairo_move_to(cr, kLeft, y);
  cairo_line_to(cr, axes.width - kRight, y);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_font_size(cr, 11);
  Text(cr, chart.mean_label, axes.width - kRight - 4, y - 5, 1.0);
}

void DrawBand(cairo_t* cr, const TimeChart& chart, const Axes& axes) {
  if (!chart.band) return;
  const ChartBand& band = *chart.band;
  const double x0 = axes.X(band.x_from), x1 = axes.X(band.x_to);
  const double y0 = axes.Y(band.y_max), y1 = axes.Y(band.y_min);
  cairo_set_source_rgba(cr, 0.95, 0.55, 0.16, 0.30);
  cairo_rectangle(cr, x0 - 6, y0 - 3, x1 - x0 + 12, y1 - y0 + 6);
  cairo_fill(cr);
  SetColour(cr, 0.60, 0.30, 0.05);
  cairo_set_font_size(cr, 12);
  Text(cr, band.label, axes.width - kRight - 8, kTop + 36, 1.0);
}

void DrawPoints(cairo_t* cr, const TimeChart& chart, const Axes& axes) {
  SetColour(cr, 0.10, 0.35, 0.75);
  cairo_set_line_width(cr, 2);
  for (std::size_t i = 0; i < chart.points.size(); ++i) {
    const double x = axes.X(chart.points[i].x), y = axes.Y(chart.points[i].y);
    if (i == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_stroke(cr);
  for (const ChartPoint& p : chart.points) {
    cairo_arc(cr, axes.X(p.x), axes.Y(p.y), 3.5, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  if (chart.latest_label.empty() || chart.points.empty()) return;
  const ChartPoint& last = chart.points.back();
  SetColour(cr, 0.75, 0.15, 0.10);
  cairo_arc(cr, axes.X(last.x), axes.Y(last.y), 5.5, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_font_size(cr, 12);
  Text(cr, chart.latest_label, axes.width - kRight - 8, kTop + 18, 1.0);
}

}  // namespace

std::string AxisTimeLabel(double seconds) {
  const long long s = std::llround(seconds);
  char text[48];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%lldh%02lldm", s / 3600, s % 3600 / 60);
  else if (s >= 60)
    std::snprintf(text, sizeof text, "%lldm%02llds", s / 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%llds", s);
  return text;
}

Picture DrawTimeChart(const TimeChart& chart) {
  Picture picture = BlankPicture(chart.width, chart.height);
  if (chart.width <= kLeft + kRight + 40 || chart.height <= kTop + kBottom + 40) return picture;
  Surface surface = NewSurface(chart.width, chart.height);
  if (!surface) return picture;
  Context owner(cairo_create(surface.get()));
  cairo_t* cr = owner.get();
  SetColour(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  const Axes axes = AxesFor(chart);
  DrawGrid(cr, axes);
  DrawLabels(cr, chart, axes);
  DrawBand(cr, chart, axes);
  DrawMean(cr, chart, axes);
  DrawPoints(cr, chart, axes);
  const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  owner.reset();
  if (drawn) FromSurface(surface.get(), picture);
  return picture;
}

}  // namespace torva
