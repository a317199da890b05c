#include "desktop/log_panel.h"

#include <algorithm>

namespace torva {

std::vector<int> LogPanelLines::Add(int position, const std::string& text) {
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  for (;;) {
    auto end = text.find('\n', start);
    pieces.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  int at = std::clamp(position, 0, static_cast<int>(lines_.size()));
  std::vector<int> positions;
  for (auto& piece : pieces) {
    lines_.insert(lines_.begin() + at, std::move(piece));
    positions.push_back(at++);
  }
  return positions;
}

bool LogPanelLines::Set(int position, const std::string& text) {
  if (position < 0 || position >= static_cast<int>(lines_.size())) return false;
  lines_[position] = text;
  return true;
}

std::string LogPanelLines::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += '\n';
    text += lines_[i];
  }
  return text;
}

}  // namespace torva
