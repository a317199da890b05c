#include "desktop/fltk/widgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>

namespace torva::fltk {

std::string LineBreaks(const std::string& text) {
  std::string broken;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      // FLTK would draw "^M"; a following line feed makes the one break.
      if (i + 1 == text.size() || text[i + 1] != '\n') broken += '\n';
      continue;
    }
    broken += c;
  }
  return broken;
}

std::string LabelText(const std::string& text) {
  std::string escaped;
  for (const char c : LineBreaks(text)) {
    if (c == '@') escaped += '@';
    escaped += c;
  }
  return escaped;
}

bool EnsureDisplay() {
  if (fl_display) return true;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  fl_open_display(display);
  return true;
}

void CentredOrigin(int w, int h, int& x, int& y) {
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_xywh(sx, sy, sw, sh, 0);
  x = sx + (sw - w) / 2;
  y = sy + (sh - h) / 2;
}

void ShowNow(Fl_Window& window) {
  window.show();
  window.wait_for_expose();
  Fl::flush();
}

DialogButton::DialogButton(int x, int y, int w, int h, const char* label, bool is_default)
    : Fl_Button(x, y, w, h, label), is_default_(is_default) {}

bool DialogButton::TakesReturn() const {
  const Fl_Widget* focus = Fl::focus();
  if (focus == this) return true;
  const bool on_other_button =
      focus && focus->window() == window() && dynamic_cast<const DialogButton*>(focus) != nullptr;
  return is_default_ && !on_other_button;
}

int DialogButton::handle(int event) {
  const bool return_key = Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter;
  if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && return_key && TakesReturn()) {
    do_callback();
    return 1;
  }
  // The arrow follows the focus.
  if ((event == FL_FOCUS || event == FL_UNFOCUS) && window()) window()->redraw();
  return Fl_Button::handle(event);
}

// Fl_Return_Button's look, the arrow drawn only where Return goes.
void DialogButton::draw() {
  const bool down = value() != 0;
  draw_box(down ? (down_box() ? down_box() : fl_down(box())) : box(),
           down ? selection_color() : color());
  int arrow = 0;
  if (TakesReturn()) {
    arrow = std::min(h(), w() / 3);
    fl_draw_symbol("@returnarrow", x() + w() - arrow - 4, y(), arrow, h(), labelcolor());
  }
  draw_label(x(), y(), w() - arrow, h());
  if (Fl::focus() == this) draw_focus();
}

PictureBox::PictureBox(int x, int y, const Picture& picture, int w, int h, bool framed)
    : Fl_Widget(x, y, w, h), picture_(picture), framed_(framed) {
  box(framed ? FL_THIN_DOWN_FRAME : FL_NO_BOX);
}

PictureBox::~PictureBox() = default;

void PictureBox::SetPicture(const Picture& picture) {
  const bool same_pixels = picture.width == picture_.width && picture.height == picture_.height &&
                           picture.rgb == picture_.rgb;
  if (!same_pixels) {
    image_.reset();
    picture_.width = picture.width;
    picture_.height = picture.height;
    picture_.rgb = picture.rgb;
  }
  picture_.source = picture.source;
  picture_.caption = picture.caption;
  picture_.overlay = picture.overlay;
  redraw();
}

// The same box and text as the picture module's DrawCaption, drawn by FLTK.
void PictureBox::DrawOverlay(const std::string& text, const CaptionOverlay& overlay) {
  fl_font(FL_HELVETICA, 14);
  const int width = static_cast<int>(fl_width(text.c_str())) + 1;
  // A preview scaled down keeps its caption whole, inside the picture.
  const int left = std::max(x(), std::min(x() + overlay.x, x() + w() - width));
  const int top = std::max(y(), std::min(y() + overlay.y, y() + h() - fl_height()));
  fl_color(overlay.background.r, overlay.background.g, overlay.background.b);
  fl_rectf(left, top, width, fl_height());
  fl_color(overlay.foreground.r, overlay.foreground.g, overlay.foreground.b);
  fl_draw(text.c_str(), left, top + fl_height() - fl_descent());
}

void PictureBox::draw() {
  const Picture& p = picture_;
  fl_push_clip(x(), y(), w(), h());
  if (p.width > 0 && p.height > 0 &&
      p.rgb.size() == static_cast<std::size_t>(p.width) * p.height * 3) {
    if (!image_) image_ = std::make_unique<Fl_RGB_Image>(p.rgb.data(), p.width, p.height, 3);
    image_->draw(x(), y());
  }
  if (p.overlay && !p.caption.empty()) DrawOverlay(p.caption, *p.overlay);
  fl_pop_clip();
  if (framed_) draw_box();
}

LogoBox::LogoBox(const Picture& logo, PushEvent push)
    : PictureBox(kLogoPlace.x, kLogoPlace.y, logo, kLogoPlace.width, kLogoPlace.height, true),
      push_(std::move(push)) {}

int LogoBox::handle(int event) {
  if (event != FL_PUSH) return PictureBox::handle(event);
  Event click;
  click.type = EventType::kGadget;
  click.gadget = kLogo;
  click.left_button = Fl::event_button() == FL_LEFT_MOUSE;
  click.repeated_click = Fl::event_clicks() > 0;
  click.control_key = (Fl::event_state() & FL_CTRL) != 0;
  push_(click);
  return 1;
}

}  // namespace torva::fltk
