#include "benchmark/benchmark_windows.h"

#include <algorithm>
#include <cmath>

namespace torva {
namespace {

constexpr Colour kWhite{255, 255, 255}, kBlack{0, 0, 0};
constexpr int kResultWidth = 1050, kResultHeight = 700;
constexpr int kHalfWidth = kResultWidth / 2;
constexpr int kNoteHeight = 24;  // the line under the pictures

Picture LoadOr(const std::string& path, Picture fallback) {
  std::optional<Picture> loaded = LoadJpeg(path);
  return loaded ? std::move(*loaded) : std::move(fallback);
}

WindowLayout ClosableLayout(const std::string& title, int width, int height, int x, int y) {
  WindowLayout layout;
  layout.title = title;
  layout.width = width;
  layout.height = height;
  layout.x = x;
  layout.y = y;
  layout.closable = true;
  layout.escape_closes = true;
  return layout;
}

// Rounded down, so that what was scaled to fit still fits.
int Scaled(int pixels, double scale) { return static_cast<int>(std::floor(pixels * scale)); }

Picture CaptionedHalf(const std::string& path, const std::string& caption, double scale) {
  Picture half = ScalePicture(LoadOr(path, BlankPicture(768, 1024)), Scaled(kHalfWidth, scale),
                              Scaled(kResultHeight, scale));
  DrawCaption(half, caption, Scaled(135, scale), Scaled(676, scale), kWhite, kBlack);
  return half;
}

// The program waits for this window: it says so under the pictures.
Picture Note(int width) {
  Picture note = BlankPicture(width, kNoteHeight);
  DrawCaption(note, "Close this window (or press Escape) to continue.", 10, 3, kWhite, kBlack);
  return note;
}

}  // namespace

ResultPlace PlaceResult(Rect room) {
  ResultPlace place;
  place.scale = std::min({1.0, static_cast<double>(room.width) / kResultWidth,
                          static_cast<double>(room.height - kNoteHeight) / kResultHeight});
  place.scale = std::max(place.scale, 0.1);
  place.half_width = Scaled(kHalfWidth, place.scale);
  place.width = 2 * place.half_width;
  place.height = Scaled(kResultHeight, place.scale) + kNoteHeight;
  // 20 pixels from the top when the screen has them to spare.
  place.x = room.x;
  place.y = room.y + std::clamp(room.height - place.height, 0, 20);
  return place;
}

// The chart of the estimates opens first, so that the result window is the
// newest: closing the chart only closes the chart; closing the result (or the
// main window) ends the wait. They stand side by side when the screen has
// room; else the chart, under the result window, comes up when that closes
// and stays open until it is closed itself.
void ShowResultWindow(Desktop& desktop, const ResultPictures& result) {
  const Rect room = WindowRoom(desktop);
  const Margins m = desktop.WindowMargins();
  const ResultPlace place = PlaceResult(room);
  const std::optional<Picture>& plot = result.estimate_plot;
  std::optional<WindowLayout> chart_layout;
  const int beside = place.x + place.width + m.right + kWindowGap + m.left;
  const bool side_by_side = plot && beside + plot->width <= room.x + room.width;
  if (plot) {
    chart_layout = ClosableLayout(
        "TORVAmeter benchmark - estimates of PHASE 1", plot->width, plot->height,
        std::max(room.x, std::min(beside, room.x + room.width - plot->width)), place.y);
  }
  // The chart may be closed before the result window.
  OwnedWindow chart(desktop, chart_layout);
  if (plot) chart.Show(0, 0, *plot);
  OwnedWindow window(desktop,
                     ClosableLayout(result.title, place.width, place.height, place.x, place.y));
  if (!window.id()) return;
  const Picture system = CaptionedHalf(result.system_path, result.system_caption, place.scale);
  const Picture farm = CaptionedHalf(result.farm_path, result.farm_caption, place.scale);
  const Picture note = Note(place.width);
  auto draw = [&] {
    window.Show(0, 0, system);
    window.Show(place.half_width, 0, farm);
    window.Show(0, place.height - kNoteHeight, note);
  };
  draw();

  bool main_closed = false;
  for (;;) {
    const Event event = desktop.WaitEvent();
    const bool close = event.type == EventType::kCloseWindow;
    const bool repaint = event.type == EventType::kRepaint;
    main_closed = close && event.window == kMainWindow;
    if (close && (window.Is(event.window) || main_closed)) break;
    if (close && chart.Is(event.window)) chart.Close();
    if (repaint && window.Is(event.window)) draw();
    if (repaint && chart.Is(event.window)) chart.Show(0, 0, *plot);
  }
  const bool keep_chart = !side_by_side && !main_closed && chart.id();
  if (!keep_chart) chart.Close();  // the chart goes first, as it came first
  window.Close();
  if (!keep_chart) return;
  desktop.RaiseWindow(*chart.id());
  chart.Release();
}

}  // namespace torva
