#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Scroll.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>

#include "desktop/fltk/fltk_desktop.h"
#include "desktop/fltk/widgets.h"
#include "platform/interrupts.h"

namespace torva {
namespace fltk {
namespace {

int Left(const WindowLayout& layout) {
  int x = 0, y = 0;
  CentredOrigin(layout.width, layout.height, x, y);
  return layout.x.value_or(x);
}

int Top(const WindowLayout& layout) {
  int x = 0, y = 0;
  CentredOrigin(layout.width, layout.height, x, y);
  return layout.y.value_or(y);
}

// The check-box window: box i (from 0) at y 30 i + 20, OK and Cancel of one
// size in its lower right corner, a margin from its edges.
constexpr int kRowPitch = 30;
constexpr int kButtonWidth = 80, kButtonHeight = 25, kButtonMargin = 10;
constexpr int kButtonRow = kButtonHeight + 2 * kButtonMargin;
// What the window manager puts beside a title (icon, buttons), at most, and
// its title font at the largest a window manager commonly takes.
constexpr int kTitleBarSides = 100;
constexpr int kTitleFontSize = 13;
// A check box's label starts this far right of the window's left edge.
constexpr int kLabelLeft = 10 + 25;

// The height the boxes and buttons are given: beyond it, the boxes scroll.
int ListedHeight(std::size_t rows) { return 40 * static_cast<int>(rows) + 20; }

// The height that holds the boxes and, below the last one, the buttons.
int HeightHoldingAll(std::size_t rows) {
  return kRowPitch * static_cast<int>(rows) + 10 + kButtonRow - kButtonMargin / 2;
}

}  // namespace

// The window is as asked unless its title or the longest label (measured
// with the fonts they are drawn in) would not show, the buttons would stand
// beside the last boxes, or its boxes do not fit in its height and scroll,
// which takes a scroll bar's width more.
WindowLayout SecondaryWindow::CheckBoxLayout(WindowLayout layout) {
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_work_area(sx, sy, sw, sh, 0);
  fl_font(FL_HELVETICA_BOLD, kTitleFontSize);
  const int title = static_cast<int>(fl_width(layout.title.c_str())) + kTitleBarSides;
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  int longest = 0;
  for (const std::string& label : layout.check_labels) {
    int w = 0, h = 0;
    fl_measure(LabelText(label).c_str(), w, h, 0);
    longest = std::max(longest, w);
  }
  layout.width = std::max({layout.width, title, kLabelLeft + longest + 2 * kButtonMargin});
  const std::size_t rows = layout.check_labels.size();
  if (layout.height >= ListedHeight(rows))
    layout.height = std::min(std::max(layout.height, HeightHoldingAll(rows)), sh);
  if (layout.height < ListedHeight(rows)) layout.width += Fl::scrollbar_size();
  layout.width = std::min(layout.width, sw);
  return layout;
}

void SecondaryWindow::AddCheckBoxes() {
  const std::size_t rows = layout_.check_labels.size();
  const bool scrolls = h() < ListedHeight(rows);
  Fl_Scroll* scroll = nullptr;
  if (scrolls) {
    scroll = new Fl_Scroll(0, 0, w(), h() - kButtonRow - 5);
    scroll->type(Fl_Scroll::VERTICAL);
  }
  const int box_width = w() - 10 - kButtonMargin - (scrolls ? Fl::scrollbar_size() : 0);
  for (std::size_t row = 0; row < rows; ++row) {
    auto* check =
        new Fl_Check_Button(10, kRowPitch * static_cast<int>(row + 1) - 10, box_width, 20);
    check->copy_label(LabelText(layout_.check_labels[row]).c_str());
    checks_.push_back(check);
  }
  if (scroll) scroll->end();
  // Return presses the button that has the focus, OK while none has it.
  const int top = h() - kButtonMargin - kButtonHeight;
  const int ok_left = w() - kButtonMargin - kButtonWidth;
  auto* cancel = new DialogButton(ok_left - kButtonMargin - kButtonWidth, top, kButtonWidth,
                                  kButtonHeight, "Cancel", false);
  cancel->callback(OnCancel, this);
  auto* ok = new DialogButton(ok_left, top, kButtonWidth, kButtonHeight, "OK", true);
  ok->callback(OnOk, this);
}

SecondaryWindow::SecondaryWindow(WindowId id, const WindowLayout& layout, PushEvent push)
    : Fl_Window(Left(layout), Top(layout), layout.width, layout.height),
      id_(id),
      layout_(layout),
      push_(std::move(push)) {
  copy_label(layout.title.c_str());
  size_range(layout.width, layout.height, layout.width, layout.height);
  callback(OnClose, this);
  if (layout.kind == WindowKind::kCheckBoxes) {
    AddCheckBoxes();
    set_modal();
  }
  if (layout.kind == WindowKind::kStatus) {
    // The title again inside: a window manager may draw no title bar, and the
    // program waits while this shows, so the window must say what it waits for.
    auto* text = new Fl_Box(0, 0, layout.width, layout.height);
    text->copy_label(LabelText(layout.title).c_str());
    text->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  }
  end();
}

void SecondaryWindow::OnClose(Fl_Widget*, void* data) {
  auto* self = static_cast<SecondaryWindow*>(data);
  // The close box and Escape cancel the check boxes.
  if (self->layout_.kind == WindowKind::kCheckBoxes) {
    self->cancelled_ = true;
    return;
  }
  const bool escape = Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape;
  if (escape && !self->layout_.escape_closes) return;
  if (self->layout_.kind != WindowKind::kPicture || !self->layout_.closable) return;
  Event event;
  event.type = EventType::kCloseWindow;
  event.window = self->id_;
  self->push_(event);
}

void SecondaryWindow::OnOk(Fl_Widget*, void* data) {
  static_cast<SecondaryWindow*>(data)->ok_pressed_ = true;
}

void SecondaryWindow::OnCancel(Fl_Widget*, void* data) {
  static_cast<SecondaryWindow*>(data)->cancelled_ = true;
}

// Uncovered parts of the window: the program is asked to draw its pictures
// again. Our own redraws after ShowPicture carry no expose damage, so they
// do not loop back.
void SecondaryWindow::draw() {
  if (layout_.kind == WindowKind::kPicture && (damage() & FL_DAMAGE_EXPOSE)) {
    Event event;
    event.type = EventType::kRepaint;
    event.window = id_;
    push_(event);
  }
  Fl_Window::draw();
}

void SecondaryWindow::ShowPicture(int x, int y, const Picture& picture) {
  auto same_place = std::find_if(pictures_.begin(), pictures_.end(),
                                 [&](PictureBox* box) { return box->x() == x && box->y() == y; });
  if (same_place != pictures_.end()) {
    (*same_place)->SetPicture(picture);
    (*same_place)->size(picture.width, picture.height);
  } else {
    auto* box = new PictureBox(x, y, picture, picture.width, picture.height, false);
    add(box);
    pictures_.push_back(box);
  }
  // A smaller picture leaves the old one's edges behind unless all is redrawn.
  redraw();
}

void SecondaryWindow::RemovePictures() {
  for (PictureBox* box : pictures_) {
    remove(box);
    delete box;
  }
  pictures_.clear();
  redraw();
}

std::vector<bool> SecondaryWindow::Ticks() const {
  std::vector<bool> ticks;
  for (const Fl_Check_Button* check : checks_) ticks.push_back(check->value() != 0);
  return ticks;
}

void SecondaryWindow::ResetTicks() {
  for (Fl_Check_Button* check : checks_) check->value(0);
}

}  // namespace fltk

fltk::SecondaryWindow* FltkDesktop::Find(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

std::optional<WindowId> FltkDesktop::OpenWindow(const WindowLayout& layout) {
  if (layout.width <= 0 || layout.height <= 0 || !fltk::EnsureDisplay()) return std::nullopt;
  const WindowId id = next_window_++;
  WindowLayout shown = layout.kind == WindowKind::kCheckBoxes
                           ? fltk::SecondaryWindow::CheckBoxLayout(layout)
                           : layout;
  // Positions are the inside's; window managers such as openbox put a new
  // window's frame where it asks to be (static gravity notwithstanding), so it
  // asks for its frame's corner.
  const Margins m = WindowMargins();
  if (layout.x && layout.y) {
    shown.x = *layout.x - m.left;
    shown.y = *layout.y - m.top;
  }
  auto window =
      std::make_unique<fltk::SecondaryWindow>(id, shown, [this](const Event& e) { Push(e); });
  fltk::ShowNow(*window);
  if (!window->shown()) return std::nullopt;
  windows_[id] = std::move(window);
  // A status window stands for a wait in which no events are taken: leave
  // nothing undrawn behind it.
  if (layout.kind == WindowKind::kStatus) DrawMainWindowNow();
  return id;
}

void FltkDesktop::CloseWindow(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second->hide();
  windows_.erase(it);
  // A closed window has nothing more to say.
  std::erase_if(events_, [window](const Event& e) {
    return e.type != EventType::kGadget && e.window == window;
  });
  // What the window covered is drawn at once, not when events are next taken.
  DrawMainWindowNow();
}

void FltkDesktop::RaiseWindow(WindowId window) {
  fltk::SecondaryWindow* w = Find(window);
  if (!w || !w->shown()) return;
  XRaiseWindow(fl_display, fl_xid(w));
  Fl::flush();
}

void FltkDesktop::DrawMainWindowNow() {
  // Everything is redrawn without waiting for the exposure events, which
  // would only come with the next event loop: drawing handles no events.
  if (main_ && main_->window->shown()) main_->window->redraw();
  Fl::flush();
}

void FltkDesktop::ShowPicture(WindowId window, int x, int y, const Picture& picture) {
  if (auto* w = Find(window)) {
    w->ShowPicture(x, y, picture);
    Fl::flush();
  }
}

void FltkDesktop::RemovePictures(WindowId window) {
  if (auto* w = Find(window)) w->RemovePictures();
}

std::optional<std::vector<bool>> FltkDesktop::WaitForCheckBoxes(WindowId window) {
  auto* w = Find(window);
  if (!w) return std::nullopt;
  w->ClearOk();
  const std::size_t queued = events_.size();
  while (!w->ok_pressed() && !w->cancelled() && w->shown() && InterruptSignal() == 0) Fl::wait();
  // Everything but OK and Cancel is ignored while the boxes are being ticked.
  events_.resize(queued);
  if (!w->ok_pressed()) return std::nullopt;
  return w->Ticks();
}

void FltkDesktop::ResetCheckBoxes(WindowId window) {
  if (auto* w = Find(window)) {
    w->ResetTicks();
    w->redraw();
  }
}

}  // namespace torva
