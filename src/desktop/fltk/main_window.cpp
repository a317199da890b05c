#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <algorithm>

#include "desktop/fltk/fltk_desktop.h"
#include "desktop/fltk/log_mirror.h"
#include "desktop/fltk/widgets.h"

namespace torva {
namespace fltk {
namespace {

void OnButton(Fl_Widget* button, void* data) {
  auto* main = static_cast<MainWindow*>(data);
  for (const auto& [gadget, widget] : main->buttons) {
    if (widget != button) continue;
    Event event;
    event.type = EventType::kGadget;
    event.gadget = gadget;
    main->push(event);
  }
}

// Only the window manager's close request counts: Escape must not end the
// program, and the window stays open until the program closes it.
void OnWindowClose(Fl_Widget*, void* data) {
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  Event event;
  event.type = EventType::kCloseWindow;
  event.window = kMainWindow;
  static_cast<MainWindow*>(data)->push(event);
}

}  // namespace

MainWindow::MainWindow(const std::string& title, const Picture& logo, PushEvent on_event,
                       const std::optional<Rect>& frame)
    : push(std::move(on_event)), buffer(std::make_unique<Fl_Text_Buffer>()) {
  int x = 0, y = 0;
  CentredOrigin(kMainWindowWidth, kMainWindowHeight, x, y);
  // A window made at a place asks the window manager for it.
  if (frame) {
    x = frame->x;
    y = frame->y;
  }
  window = std::make_unique<Fl_Window>(x, y, kMainWindowWidth, kMainWindowHeight);
  window->copy_label(title.c_str());
  // Larger on demand: the log panel takes the room, so long lines (a path,
  // a price table) can be read whole.
  window->size_range(kMainWindowWidth, kMainWindowHeight);
  window->callback(OnWindowClose, this);

  new LogoBox(logo, push);

  const GadgetPlace& panel_place = kLogPanelPlace;
  panel = new Fl_Text_Display(panel_place.x, panel_place.y, panel_place.width, panel_place.height);
  panel->buffer(buffer.get());
  panel->color(FL_WHITE);
  panel->textcolor(FL_BLACK);
  panel->textfont(FL_HELVETICA);
  panel->textsize(12);

  // Before the buttons, which it touches: they are drawn over it. Its right
  // edge stays inside the window.
  const GadgetPlace& bar = kProgressBarPlace;
  progress =
      new Fl_Progress(bar.x, bar.y, std::min(bar.width, kMainWindowWidth - bar.x - 1), bar.height);
  progress->minimum(0);
  progress->maximum(60);
  progress->value(0);
  progress->selection_color(FL_BLUE);

  for (const GadgetPlace& place : kButtonPlaces) {
    auto* button = new Fl_Button(place.x, place.y, place.width, place.height, place.label);
    button->labelsize(12);
    button->callback(OnButton, this);
    buttons[place.gadget] = button;
  }

  // FLTK stretches what spans the resizable box and moves what lies beyond
  // it: a box at the panel's right end, inside its top, stretches the panel
  // and the progress bar alone and moves the buttons down with the bottom.
  const int right = panel_place.x + panel_place.width;
  auto* room = new Fl_Box(right - 1, panel_place.y + 3, 1, 1);
  window->resizable(room);
  window->end();
  // Made at its least size, so that the gadgets stretch from there.
  if (frame) window->size(frame->width, frame->height);
}

MainWindow::~MainWindow() = default;

}  // namespace fltk

bool FltkDesktop::OpenMainWindow(const std::string& title, const Picture& logo) {
  if (!fltk::EnsureDisplay()) return false;
  main_ = std::make_unique<fltk::MainWindow>(
      title, logo, [this](const Event& e) { Push(e); }, main_place_);
  if (!log_.lines().empty()) main_->buffer->text(log_.Text().c_str());
  fltk::ShowNow(*main_->window);
  if (main_place_ && main_->window->shown()) KeepPlace();
  return main_->window->shown();
}

void FltkDesktop::CloseMainWindow() {
  if (!main_) return;
  main_->window->hide();
  main_.reset();
  Fl::flush();
}

// A window manager may put the frame elsewhere than asked (its own rules, a
// gravity): once it is shown, the window moves by what is missing.
void FltkDesktop::KeepPlace() {
  const Margins m = WindowMargins();
  const Rect now = MainWindowFrame();
  const int dx = main_place_->x + m.left - now.x, dy = main_place_->y + m.top - now.y;
  if (dx == 0 && dy == 0) return;
  Fl_Window& w = *main_->window;
  w.position(w.x() + dx, w.y() + dy);
  XSync(fl_display, False);
  Fl::flush();
}

// Window managers such as openbox put a new window's frame where the window
// asks to be: the frame's corner is what is asked for.
void FltkDesktop::PlaceMainWindow(const Rect& frame) {
  if (!fltk::EnsureDisplay()) return;
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_work_area(sx, sy, sw, sh, frame.x, frame.y);
  Rect place = frame;
  place.width = std::clamp(frame.width, kMainWindowWidth, std::max(kMainWindowWidth, sw));
  place.height = std::clamp(frame.height, kMainWindowHeight, std::max(kMainWindowHeight, sh));
  place.x = std::clamp(frame.x, sx, std::max(sx, sx + sw - place.width));
  place.y = std::clamp(frame.y, sy, std::max(sy, sy + sh - place.height));
  main_place_ = place;
}

// Where the X server has the inside, not FLTK's record of it, which a move
// by the window manager can leave behind.
Rect FltkDesktop::MainWindowFrame() {
  if (!main_) return {};
  Fl_Window& w = *main_->window;
  Rect inside{w.x(), w.y(), w.w(), w.h()};
  Window child = 0;
  if (w.shown())
    XTranslateCoordinates(fl_display, fl_xid(&w), RootWindow(fl_display, fl_screen), 0, 0,
                          &inside.x, &inside.y, &child);
  return inside;
}

// The window manager says what it draws around a window in
// _NET_FRAME_EXTENTS (left, right, top, bottom); without one there is nothing.
Margins FltkDesktop::WindowMargins() {
  if (!main_ || !main_->window->shown()) return {};
  const Atom extents = XInternAtom(fl_display, "_NET_FRAME_EXTENTS", True);
  if (extents == None) return {};
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Margins margins;
  if (XGetWindowProperty(fl_display, fl_xid(main_->window.get()), extents, 0, 4, False, XA_CARDINAL,
                         &type, &format, &count, &after, &data) == Success &&
      data && format == 32 && count == 4) {
    // Format 32 comes as longs, whatever their size.
    const auto* values = reinterpret_cast<const long*>(data);
    margins = {static_cast<int>(values[0]), static_cast<int>(values[1]),
               static_cast<int>(values[2]), static_cast<int>(values[3])};
  }
  if (data) XFree(data);
  return margins;
}

// FLTK keeps a new window's corner a pixel right of the screen's left edge
// and 20 below its top (room for a border it assumes): the area starts there.
Rect FltkDesktop::ScreenArea() {
  if (!fltk::EnsureDisplay()) return Desktop::ScreenArea();
  Rect area;
  Fl::screen_work_area(area.x, area.y, area.width, area.height, 0);
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_xywh(sx, sy, sw, sh, 0);
  const int left = std::max(area.x, sx + 1), top = std::max(area.y, sy + 20);
  return {left, top, area.width - (left - area.x), area.height - (top - area.y)};
}

void FltkDesktop::ClearLog() {
  log_.Clear();
  if (main_) main_->buffer->text("");
}

void FltkDesktop::AddLogLine(int position, const std::string& text) {
  if (!main_) {
    log_.Add(position, text);
    return;
  }
  const int shown = fltk::MirrorAdd(*main_->buffer, log_, position, text);
  // Keep the newest line in view, as a console would.
  main_->panel->insert_position(shown);
  main_->panel->show_insert_position();
}

void FltkDesktop::SetLogLine(int position, const std::string& text) {
  if (!main_)
    log_.Set(position, text);
  else
    fltk::MirrorSet(*main_->buffer, log_, position, text);
}

void FltkDesktop::SetProgress(int value) {
  if (!main_) return;
  Fl_Progress& bar = *main_->progress;
  bar.value(static_cast<float>(std::clamp(value, 0, 60)));
  // The bar redraws itself alone: the buttons it touches are drawn over it again.
  for (auto& [gadget, button] : main_->buttons)
    if (button->y() + button->h() > bar.y()) button->redraw();
}

void FltkDesktop::SetButtons(bool active, int keep) {
  if (!main_) return;
  for (auto& [gadget, button] : main_->buttons) {
    if (gadget == keep) continue;
    if (active)
      button->activate();
    else
      button->deactivate();
  }
}

void FltkDesktop::DisableButtons(int keep) { SetButtons(false, keep); }
void FltkDesktop::EnableButtons(int keep) { SetButtons(true, keep); }

}  // namespace torva
