#include "desktop/scripted/transcript.h"

namespace torva {

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        // Other control bytes, NUL first (it would cut the line), as \xHH.
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          constexpr char kHex[] = "0123456789abcdef";
          const auto byte = static_cast<unsigned char>(c);
          quoted += "\\x";
          quoted += kHex[byte >> 4];
          quoted += kHex[byte & 0xF];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

void Transcript::Write(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace torva
