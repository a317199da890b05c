#include "platform/fltk/widgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

namespace torva::fltk {

std::string LabelText(const std::string& text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      // FLTK would draw "^M"; a following line feed makes the one break.
      if (i + 1 == text.size() || text[i + 1] != '\n') escaped += '\n';
      continue;
    }
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
  const int left = x() + overlay.x, top = y() + overlay.y;
  fl_color(overlay.background.r, overlay.background.g, overlay.background.b);
  fl_rectf(left, top, static_cast<int>(fl_width(text.c_str())) + 1, fl_height());
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
