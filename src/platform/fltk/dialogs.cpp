#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

#include "platform/fltk/fltk_desktop.h"
#include "platform/fltk/widgets.h"
#include "platform/system_open.h"

namespace torva {

std::string FltkFilter(const std::string& filter) {
  const auto bar = filter.find('|');
  if (bar == std::string::npos) return filter == "*.*" ? "*" : filter;
  const std::string description = filter.substr(0, bar);
  std::string pattern = filter.substr(bar + 1);
  // Elsewhere "*.*" means every file; to FLTK it means names with a dot.
  if (pattern == "*.*" || pattern.empty()) pattern = "*";
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
  fl_message("%s", text.c_str());
}

bool FltkDesktop::Question(const std::string& title, const std::string& text) {
  if (!fltk::EnsureDisplay()) return false;
  fl_message_title(title.c_str());
  return fl_choice("%s", "No", "Yes", nullptr, text.c_str()) == 1;
}

std::optional<std::string> FltkDesktop::Input(const std::string& title,
                                              const std::string& prompt) {
  if (!fltk::EnsureDisplay()) return std::nullopt;
  fl_message_title(title.c_str());
  const char* answer = fl_input("%s", nullptr, prompt.c_str());
  if (!answer) return std::nullopt;
  return std::string(answer);
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

void FltkDesktop::Open(const std::string& target) { SystemOpen(target); }

}  // namespace torva
