#include "desktop/fltk/log_mirror.h"

#include <FL/Fl_Text_Buffer.H>

namespace torva::fltk {
namespace {

// Counted from the lines, not the buffer: a line set to a text with a line
// feed is one line to the program but two in the buffer.
int Offset(const LogPanelLines& lines, int line) {
  int offset = 0;
  for (int i = 0; i < line; ++i) offset += static_cast<int>(lines.lines()[i].size()) + 1;
  return offset;
}

}  // namespace

int MirrorAdd(Fl_Text_Buffer& buffer, LogPanelLines& lines, int position, const std::string& text) {
  const int before = static_cast<int>(lines.lines().size());
  const std::vector<int> at = lines.Add(position, text);
  if (at.front() < before)
    buffer.insert(Offset(lines, at.front()), (text + "\n").c_str());
  else
    buffer.append(((before ? "\n" : "") + text).c_str());
  return Offset(lines, at.back());
}

int MirrorSet(Fl_Text_Buffer& buffer, LogPanelLines& lines, int position, const std::string& text) {
  if (position < 0 || position >= static_cast<int>(lines.lines().size())) return buffer.length();
  const int start = Offset(lines, position);
  const int old_end = start + static_cast<int>(lines.lines()[position].size());
  lines.Set(position, text);
  buffer.replace(start, old_end, text.c_str());
  return start;
}

}  // namespace torva::fltk
