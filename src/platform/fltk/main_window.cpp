#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <algorithm>

#include "platform/fltk/fltk_desktop.h"
#include "platform/fltk/log_mirror.h"
#include "platform/fltk/widgets.h"

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

MainWindow::MainWindow(const std::string& title, const Picture& logo, PushEvent on_event)
    : push(std::move(on_event)), buffer(std::make_unique<Fl_Text_Buffer>()) {
  int x = 0, y = 0;
  CentredOrigin(kMainWindowWidth, kMainWindowHeight, x, y);
  window = std::make_unique<Fl_Window>(x, y, kMainWindowWidth, kMainWindowHeight);
  window->copy_label(title.c_str());
  window->size_range(kMainWindowWidth, kMainWindowHeight, kMainWindowWidth, kMainWindowHeight);
  window->callback(OnWindowClose, this);

  new LogoBox(logo, push);

  const GadgetPlace& panel_place = kLogPanelPlace;
  panel = new Fl_Text_Display(panel_place.x, panel_place.y, panel_place.width, panel_place.height);
  panel->buffer(buffer.get());
  panel->color(FL_WHITE);
  panel->textcolor(FL_BLACK);
  panel->textfont(FL_HELVETICA);
  panel->textsize(12);

  for (const GadgetPlace& place : kButtonPlaces) {
    auto* button = new Fl_Button(place.x, place.y, place.width, place.height, place.label);
    button->labelsize(12);
    button->callback(OnButton, this);
    button->clear_visible_focus();
    buttons[place.gadget] = button;
  }

  const GadgetPlace& bar = kProgressBarPlace;
  progress = new Fl_Progress(bar.x, bar.y, bar.width, bar.height);
  progress->minimum(0);
  progress->maximum(60);
  progress->value(0);
  progress->selection_color(FL_BLUE);

  window->end();
}

MainWindow::~MainWindow() = default;

}  // namespace fltk

bool FltkDesktop::OpenMainWindow(const std::string& title, const Picture& logo) {
  if (!fltk::EnsureDisplay()) return false;
  main_ = std::make_unique<fltk::MainWindow>(title, logo, [this](const Event& e) { Push(e); });
  if (!log_.lines().empty()) main_->buffer->text(log_.Text().c_str());
  fltk::ShowNow(*main_->window);
  return main_->window->shown();
}

void FltkDesktop::CloseMainWindow() {
  if (!main_) return;
  main_->window->hide();
  main_.reset();
  Fl::flush();
}

Rect FltkDesktop::MainWindowFrame() {
  if (!main_) return {};
  const Fl_Window& w = *main_->window;
  return {w.x(), w.y(), w.w(), w.h()};
}

Rect FltkDesktop::ScreenArea() {
  if (!fltk::EnsureDisplay()) return Desktop::ScreenArea();
  Rect area;
  Fl::screen_work_area(area.x, area.y, area.width, area.height, 0);
  return area;
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

std::vector<std::string> FltkDesktop::LogLines() { return log_.lines(); }

void FltkDesktop::SetProgress(int value) {
  if (main_) main_->progress->value(static_cast<float>(std::clamp(value, 0, 60)));
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
