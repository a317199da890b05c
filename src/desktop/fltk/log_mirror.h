// Keeps the LogPanel's FLTK text buffer equal to its lines, through small
// edits rather than a new text each time, so that the view does not jump.
#pragma once

#include <string>

#include "desktop/log_panel.h"

class Fl_Text_Buffer;

namespace torva::fltk {

// Both return the buffer position of the start of the last line changed.
int MirrorAdd(Fl_Text_Buffer& buffer, LogPanelLines& lines, int position, const std::string& text);
int MirrorSet(Fl_Text_Buffer& buffer, LogPanelLines& lines, int position, const std::string& text);

}  // namespace torva::fltk
