// The scripted desktop's transcript: one line per event, texts in double
// quotes with C escapes (\\ \" \n \r \t, other control bytes as \xHH).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace torva {

std::string Quote(std::string_view text);

class Transcript {
 public:
  explicit Transcript(std::FILE* out) : out_(out) {}
  // Writes `line` and a line feed, flushed at once so a reader sees it live.
  void Write(const std::string& line);

 private:
  std::FILE* out_;
};

}  // namespace torva
