// The text lines of the LogPanel, shared by both desktops.
#pragma once

#include <string>
#include <vector>

namespace torva {

class LogPanelLines {
 public:
  void Clear() { lines_.clear(); }
  // Returns the positions at which the added lines now stand.
  std::vector<int> Add(int position, const std::string& text);
  // False when there is no such line.
  bool Set(int position, const std::string& text);
  const std::vector<std::string>& lines() const { return lines_; }
  std::string Text() const;  // lines joined with line feeds

 private:
  std::vector<std::string> lines_;
};

}  // namespace torva
