#include "prepare/script_text.h"

#include <cstdio>

namespace torva {
namespace {

// The escapes both languages read the same way.
bool AppendCommonEscape(std::string& out, char c) {
  switch (c) {
    case '\\': out += "\\\\"; return true;
    case '"': out += "\\\""; return true;
    case '\'': out += "\\'"; return true;
    case '\n': out += "\\n"; return true;
    case '\r': out += "\\r"; return true;
    case '\t': out += "\\t"; return true;
    default: break;
  }
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
    out += hex;
    return true;
  }
  return false;
}

}  // namespace

std::string ScriptStringContent(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // U+2028 and U+2029 end a line inside an older ECMAScript string.
    if (text.compare(i, 3, "\xE2\x80\xA8") == 0 || text.compare(i, 3, "\xE2\x80\xA9") == 0) {
      out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else if (!AppendCommonEscape(out, text[i])) {
      out += text[i];
    }
  }
  return out;
}

std::string PythonStringContent(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (!AppendCommonEscape(out, c)) out += c;
  }
  return out;
}

}  // namespace torva
