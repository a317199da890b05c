#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Multiline_Output.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <vector>

#include "desktop/fltk/fltk_desktop.h"
#include "desktop/fltk/widgets.h"
#include "platform/interrupts.h"
#include "platform/system_open.h"

namespace torva {
namespace {

constexpr int kMargin = 15;

// Centred on `owner` (on the screen without one), inside the work area.
void PlaceOn(Fl_Window& dialog, const Fl_Window* owner) {
  int x = 0, y = 0;
  fltk::CentredOrigin(dialog.w(), dialog.h(), x, y);
  if (owner) {
    x = owner->x() + (owner->w() - dialog.w()) / 2;
    y = owner->y() + (owner->h() - dialog.h()) / 2;
  }
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_work_area(sx, sy, sw, sh, x + dialog.w() / 2, y + dialog.h() / 2);
  x = std::max(sx, std::min(x, sx + sw - dialog.w()));
  y = std::max(sy, std::min(y, sy + sh - dialog.h()));
  dialog.position(x, y);
}

// Shows a dialog over its owner and waits until it is hidden. FLTK makes a
// modal window a transient of its first window, which the window manager
// then keeps above that one: the owner is made the first window.
void RunDialog(Fl_Window& dialog, Fl_Window* owner, Fl_Widget* focus) {
  if (InterruptSignal() != 0) return;  // nobody waits for an answer
  PlaceOn(dialog, owner);
  if (owner && owner->shown()) Fl::first_window(owner);
  dialog.set_modal();
  dialog.show();
  // Kept above its owner, it may still be under another window of ours (a
  // preview beside the owner): it goes to the top.
  XRaiseWindow(fl_display, fl_xid(&dialog));
  Fl::focus(focus);
  while (dialog.shown() && InterruptSignal() == 0) Fl::wait();
  dialog.hide();
}

// The text of a message: a click gives it the focus, so that it can be
// selected and copied; Tab passes it by, from button to button.
class MessageText : public Fl_Multiline_Output {
 public:
  using Fl_Multiline_Output::Fl_Multiline_Output;
  int handle(int event) override {
    if (event == FL_FOCUS && Fl::event() == FL_KEYBOARD) return 0;
    return Fl_Multiline_Output::handle(event);
  }
};

// A message or a question: its text can be selected and copied (a web
// address, a path); the buttons stand in a row at the bottom right. Escape
// and the close box give the `cancel` answer.
class ChoiceBox : public Fl_Window {
 public:
  ChoiceBox(const Fl_Window* owner, const std::string& title, const std::string& text,
            const std::vector<const char*>& buttons, int default_button, int cancel)
      : Fl_Window(0, 0, 300, 100), text_(fltk::LineBreaks(text)), answer_(cancel) {
    copy_label(title.c_str());
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    // Wrapped to stay within the owner, which its neighbours keep clear of.
    int text_w = std::clamp(owner ? owner->w() - 2 * kMargin - 40 : 560, 260, 560);
    int text_h = 0;
    fl_measure(text_.c_str(), text_w, text_h, 0);
    std::vector<int> widths;
    int row = 0;
    for (const char* label : buttons) {
      widths.push_back(std::max(80, static_cast<int>(fl_width(label)) + 40));
      row += widths.back() + 10;
    }
    const int width = std::max({300, text_w + 2 * kMargin + 10, row + 2 * kMargin});
    const int height = text_h + 6 + 2 * kMargin + 35;
    size(width, height);

    auto* field = new MessageText(kMargin, kMargin, width - 2 * kMargin, text_h + 6);
    field->box(FL_FLAT_BOX);
    field->color(FL_BACKGROUND_COLOR);
    field->textfont(FL_HELVETICA);
    field->textsize(FL_NORMAL_SIZE);
    field->wrap(1);
    field->value(text_.c_str());

    int x = width - kMargin - row + 10;
    for (std::size_t at = 0; at < buttons.size(); ++at) {
      const bool is_default = static_cast<int>(at) == default_button;
      auto* button =
          new fltk::DialogButton(x, height - kMargin - 25, widths[at], 25, buttons[at], is_default);
      button->callback(OnButton, this);
      buttons_.push_back(button);
      if (is_default) focus_ = button;
      x += widths[at] + 10;
    }
    callback([](Fl_Widget* self, void*) { self->hide(); });
    end();
  }

  // The index of the button pressed, or the cancel answer.
  int Ask(Fl_Window* owner) {
    RunDialog(*this, owner, focus_);
    return answer_;
  }

 private:
  static void OnButton(Fl_Widget* button, void* data) {
    auto* self = static_cast<ChoiceBox*>(data);
    const auto at = std::find(self->buttons_.begin(), self->buttons_.end(), button);
    self->answer_ = static_cast<int>(at - self->buttons_.begin());
    self->hide();
  }

  std::string text_;
  std::vector<Fl_Widget*> buttons_;
  Fl_Widget* focus_ = nullptr;
  int answer_;
};

// The input box: a prompt, a text field and one OK button. Escape and the
// close request cancel it. A secret's field shows a mark for each character.
class InputBox : public Fl_Window {
 public:
  InputBox(const std::string& title, const std::string& prompt, bool secret,
           const std::string& initial = "")
      : Fl_Window(0, 0, 360, 120), prompt_(fltk::LabelText(prompt)) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int text_w = 0, text_h = 0;
    fl_measure(prompt_.c_str(), text_w, text_h);
    const int width = std::clamp(text_w + 30, 360, 900);
    const int height = text_h + 95;
    size(width, height);
    copy_label(title.c_str());
    auto* text = new Fl_Box(15, 12, width - 30, text_h, prompt_.c_str());
    text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP);
    input_ = secret ? new Fl_Secret_Input(15, text_h + 22, width - 30, 25)
                    : new Fl_Input(15, text_h + 22, width - 30, 25);
    // Selected whole: typing replaces it, an arrow key keeps it to edit.
    input_->value(initial.c_str());
    input_->position(input_->size(), 0);
    auto* ok = new Fl_Return_Button(width - 95, text_h + 57, 80, 25, "OK");
    ok->callback(
        [](Fl_Widget*, void* self) {
          static_cast<InputBox*>(self)->accepted_ = true;
          static_cast<InputBox*>(self)->hide();
        },
        this);
    callback([](Fl_Widget* self, void*) { self->hide(); });
    end();
  }

  std::optional<std::string> Ask(Fl_Window* owner) {
    RunDialog(*this, owner, input_);
    if (!accepted_) return std::nullopt;
    return std::string(input_->value());
  }

 private:
  std::string prompt_;
  Fl_Input* input_ = nullptr;
  bool accepted_ = false;
};

}  // namespace

std::string FltkFilter(const std::string& filter) {
  const auto bar = filter.find('|');
  if (bar == std::string::npos) return filter == "*.*" ? "*" : filter;
  const std::string description = filter.substr(0, bar);
  const std::string given = filter.substr(bar + 1);
  // Elsewhere "*.*" means every file; to FLTK it means names with a dot.
  std::string pattern = given == "*.*" || given.empty() ? std::string(1, '*') : given;
  if (pattern.find(';') != std::string::npos) {
    for (char& c : pattern)
      if (c == ';') c = ',';
    pattern = "{" + pattern + "}";
  }
  return description + "\t" + pattern;
}

// Texts go through "%s": a "%" in a path must not be read as a format.
// A dialog belongs to the window in use: the check-box window while it waits,
// else the main window.
Fl_Window* FltkDesktop::DialogOwner() {
  for (const auto& [id, window] : windows_)
    if (window->modal() && window->shown()) return window.get();
  return main_ && main_->window->shown() ? main_->window.get() : nullptr;
}

void FltkDesktop::Message(const std::string& title, const std::string& text) {
  if (!fltk::EnsureDisplay()) return;
  Fl_Window* owner = DialogOwner();
  ChoiceBox box(owner, title, text, {"OK"}, 0, 0);
  box.Ask(owner);
}

bool FltkDesktop::Question(QuestionId, const std::string& title, const std::string& text) {
  if (!fltk::EnsureDisplay()) return false;
  Fl_Window* owner = DialogOwner();
  ChoiceBox box(owner, title, text, {"No", "Yes"}, 1, 0);
  return box.Ask(owner) == 1;
}

// Escape and the close box give -1: neither answer.
std::optional<bool> FltkDesktop::QuestionOrCancel(QuestionId, const std::string& title,
                                                  const std::string& text) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  Fl_Window* owner = DialogOwner();
  ChoiceBox box(owner, title, text, {"No", "Yes"}, 1, -1);
  const int answer = box.Ask(owner);
  if (answer < 0) return std::nullopt;
  return answer == 1;
}

bool FltkDesktop::QuestionDefaultNo(QuestionId id, const std::string& title,
                                    const std::string& text) {
  if (id == QuestionId::kStopAndQuit && InterruptSignal() != 0) return true;
  if (!fltk::EnsureDisplay()) return false;
  Fl_Window* owner = DialogOwner();
  ChoiceBox box(owner, title, text, {"No", "Yes"}, 0, 0);
  return box.Ask(owner) == 1;
}

std::optional<std::string> FltkDesktop::Input(QuestionId, const std::string& title,
                                              const std::string& prompt) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  InputBox box(title, prompt, false);
  return box.Ask(DialogOwner());
}

std::optional<std::string> FltkDesktop::InputFrom(QuestionId, const std::string& title,
                                                  const std::string& prompt,
                                                  const std::string& initial) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  InputBox box(title, prompt, false, initial);
  return box.Ask(DialogOwner());
}

std::optional<std::string> FltkDesktop::SecretInput(QuestionId, const std::string& title,
                                                    const std::string& prompt) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  InputBox box(title, prompt, true);
  return box.Ask(DialogOwner());
}

std::optional<std::string> FltkDesktop::ChooseFile(QuestionId, const std::string& title,
                                                   const std::string& start_dir,
                                                   const std::string& filter) {
  if (!fltk::EnsureDisplay() || InterruptSignal() != 0) return std::nullopt;
  Fl_Native_File_Chooser chooser;
  chooser.type(Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(title.c_str());
  if (!start_dir.empty()) chooser.directory(start_dir.c_str());
  const std::string patterns = FltkFilter(filter);
  chooser.filter(patterns.c_str());
  if (chooser.show() != 0 || !chooser.filename() || !*chooser.filename()) return std::nullopt;
  return std::string(chooser.filename());
}

bool FltkDesktop::Open(const std::string& target) {
  return SystemOpen(target) == OpenOutcome::kOpened;
}

}  // namespace torva
