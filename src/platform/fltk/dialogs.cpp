#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "platform/fltk/fltk_desktop.h"
#include "platform/fltk/widgets.h"
#include "platform/system_open.h"

namespace torva {
namespace {

// The input box: a prompt, a text field and one OK button. Escape and the
// close request cancel it. A secret's field shows a mark for each character.
class InputBox : public Fl_Window {
 public:
  InputBox(const std::string& title, const std::string& prompt, bool secret)
      : Fl_Window(0, 0, 360, 120), prompt_(fltk::LabelText(prompt)) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int text_w = 0, text_h = 0;
    fl_measure(prompt_.c_str(), text_w, text_h);
    const int width = std::clamp(text_w + 30, 360, 900);
    const int height = text_h + 95;
    int x = 0, y = 0;
    fltk::CentredOrigin(width, height, x, y);
    resize(x, y, width, height);
    copy_label(title.c_str());
    auto* text = new Fl_Box(15, 12, width - 30, text_h, prompt_.c_str());
    text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP);
    input_ = secret ? new Fl_Secret_Input(15, text_h + 22, width - 30, 25)
                    : new Fl_Input(15, text_h + 22, width - 30, 25);
    auto* ok = new Fl_Return_Button(width - 95, text_h + 57, 80, 25, "OK");
    ok->callback(
        [](Fl_Widget*, void* self) {
          static_cast<InputBox*>(self)->accepted_ = true;
          static_cast<InputBox*>(self)->hide();
        },
        this);
    callback([](Fl_Widget* self, void*) { self->hide(); });
    end();
    set_modal();
  }

  std::optional<std::string> Ask() {
    show();
    Fl::focus(input_);
    while (shown()) Fl::wait();
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
void FltkDesktop::Message(const std::string& title, const std::string& text) {
  if (!fltk::EnsureDisplay()) return;
  fl_message_title(title.c_str());
  fl_message("%s", fltk::LabelText(text).c_str());
}

bool FltkDesktop::Question(const std::string& title, const std::string& text) {
  if (!fltk::EnsureDisplay()) return false;
  fl_message_title(title.c_str());
  return fl_choice("%s", "No", "Yes", nullptr, fltk::LabelText(text).c_str()) == 1;
}

std::optional<std::string> FltkDesktop::Input(const std::string& title, const std::string& prompt) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  InputBox box(title, prompt, false);
  return box.Ask();
}

std::optional<std::string> FltkDesktop::SecretInput(const std::string& title,
                                                    const std::string& prompt) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  InputBox box(title, prompt, true);
  return box.Ask();
}

std::optional<std::string> FltkDesktop::ChooseFile(const std::string& title,
                                                   const std::string& start_dir,
                                                   const std::string& filter) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
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
