// FLTK pieces shared by the desktop's files; not for use elsewhere.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "desktop/desktop.h"

class Fl_Check_Button;
class Fl_Progress;
class Fl_RGB_Image;
class Fl_Text_Buffer;
class Fl_Text_Display;

namespace torva::fltk {

using PushEvent = std::function<void(const Event&)>;

// FLTK reads "@" in labels as the start of a symbol; this keeps it a
// character. A carriage return (alone or before a line feed) becomes a line
// break.
std::string LabelText(const std::string& text);
// The same for a text shown as it is (in a text field): line breaks only.
std::string LineBreaks(const std::string& text);

// Opens the X display once; false when there is none (FLTK itself would exit).
bool EnsureDisplay();

// Top-left corner that centres a w × h window on the first screen.
void CentredOrigin(int w, int h, int& x, int& y);

// Shows the window and waits until it is drawn, so that it appears even when
// the program goes on without taking events.
void ShowNow(Fl_Window& window);

// A button that Return presses while it has the focus, so that the button a
// person moved to with Tab is the one that answers. A window's default button
// also takes Return while no other such button has the focus. The button
// that Return would press shows the return arrow.
class DialogButton : public Fl_Button {
 public:
  DialogButton(int x, int y, int w, int h, const char* label, bool is_default);
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  bool TakesReturn() const;
  bool is_default_;
};

// A picture drawn from its own copy of the pixels, clipped to the widget.
// The pixels are handed to the display once; a new caption over the same
// pixels is drawn without sending them again.
class PictureBox : public Fl_Widget {
 public:
  PictureBox(int x, int y, const Picture& picture, int w, int h, bool framed);
  ~PictureBox() override;
  void SetPicture(const Picture& picture);
  const Picture& picture() const { return picture_; }

 protected:
  void draw() override;

 private:
  void DrawOverlay(const std::string& text, const CaptionOverlay& overlay);

  Picture picture_;
  std::unique_ptr<Fl_RGB_Image> image_;  // over picture_'s pixels, made when first drawn
  bool framed_;
};

// The logo: reports clicks with their button, repetition and Control key.
class LogoBox : public PictureBox {
 public:
  LogoBox(const Picture& logo, PushEvent push);
  int handle(int event) override;

 private:
  PushEvent push_;
};

struct MainWindow {
  PushEvent push;
  // Declared before the window so that it outlives the display using it.
  std::unique_ptr<Fl_Text_Buffer> buffer;
  std::unique_ptr<Fl_Window> window;  // owns every widget below
  Fl_Text_Display* panel = nullptr;
  Fl_Progress* progress = nullptr;
  std::map<int, Fl_Button*> buttons;

  // At `frame` (a frame's corner and an inside's size), else centred.
  MainWindow(const std::string& title, const Picture& logo, PushEvent on_event,
             const std::optional<Rect>& frame);
  ~MainWindow();
};

class SecondaryWindow : public Fl_Window {
 public:
  SecondaryWindow(WindowId id, const WindowLayout& layout, PushEvent push);

  void ShowPicture(int x, int y, const Picture& picture);
  void RemovePictures();
  std::vector<bool> Ticks() const;
  void ResetTicks();
  bool ok_pressed() const { return ok_pressed_; }
  bool cancelled() const { return cancelled_; }
  void ClearOk() { ok_pressed_ = cancelled_ = false; }

  // A check-box window as shown: wide enough for its title and, while the
  // screen has room, tall enough for its boxes above the buttons.
  static WindowLayout CheckBoxLayout(WindowLayout layout);

 protected:
  void draw() override;

 private:
  static void OnClose(Fl_Widget* widget, void* data);
  static void OnOk(Fl_Widget* widget, void* data);
  static void OnCancel(Fl_Widget* widget, void* data);
  void AddCheckBoxes();

  WindowId id_;
  WindowLayout layout_;
  PushEvent push_;
  std::vector<PictureBox*> pictures_;
  std::vector<Fl_Check_Button*> checks_;
  bool ok_pressed_ = false;
  bool cancelled_ = false;
};

}  // namespace torva::fltk
