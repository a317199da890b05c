#include "text/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text/utf8.h"

namespace torva {

namespace {

template <typename T>
std::string Shortest(T value) {
  if (!std::isfinite(value)) return "null";
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : "null";
}

}  // namespace

std::string JsonText(std::string_view text) {
  std::string out = "\"";
  // JSON is UTF-8: a name with a stray byte (a file named in Latin-1, say)
  // must not make the whole record unreadable.
  for (const unsigned char c : ValidUtf8(std::string(text))) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) { return Shortest(value); }
std::string JsonNumber(float value) { return Shortest(value); }
std::string JsonNumber(long long value) { return std::to_string(value); }

}  // namespace torva

namespace torva {
namespace {

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document() {
    JsonValue value;
    if (!Value(value, 0)) return std::nullopt;
    SkipBlanks();
    if (pos_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  static constexpr int kMaxDepth = 64;

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }
  bool Take(char c) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool Word(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& value, int depth) {
    if (depth >= kMaxDepth) return false;
    SkipBlanks();
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '{') return Object(value, depth);
    if (c == '[') return Array(value, depth);
    if (c == '"') {
      value.type = JsonValue::Type::kString;
      return String(value.text);
    }
    if (Word("true") || Word("false")) {
      value.type = JsonValue::Type::kBool;
      value.boolean = c == 't';
      return true;
    }
    if (Word("null")) return true;
    return Number(value);
  }

  bool Object(JsonValue& value, int depth) {
    value.type = JsonValue::Type::kObject;
    ++pos_;
    if (Take('}')) return true;
    do {
      JsonMember member;
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != '"' || !String(member.first) || !Take(':') ||
          !Value(member.second, depth + 1))
        return false;
      value.members.push_back(std::move(member));
    } while (Take(','));
    return Take('}');
  }

  bool Array(JsonValue& value, int depth) {
    value.type = JsonValue::Type::kArray;
    ++pos_;
    if (Take(']')) return true;
    do {
      value.items.emplace_back();
      if (!Value(value.items.back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']');
  }

  bool Number(JsonValue& value) {
    const std::size_t start = pos_;
    auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ > from;
    };
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    if (!digits()) return false;
    if (text_[start + (text_[start] == '-')] == '0' && pos_ - start > 1u + (text_[start] == '-'))
      return false;  // no leading zeros
    if (pos_ < text_.size() && text_[pos_] == '.' && (++pos_, !digits())) return false;
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (!digits()) return false;
    }
    value.type = JsonValue::Type::kNumber;
    value.text = std::string(text_.substr(start, pos_ - start));
    return true;
  }

  int Hex4() {
    if (pos_ + 4 > text_.size()) return -1;
    int code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return -1;
      code = code * 16 + digit;
    }
    return code;
  }

  bool String(std::string& out) {
    ++pos_;  // the opening quote
    while (pos_ < text_.size()) {
      const unsigned char c = static_cast<unsigned char>(text_[pos_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (pos_ >= text_.size()) return false;
      const char escape = text_[pos_++];
      switch (escape) {
        case '"':
        case '\\':
        case '/': out += escape; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          int code = Hex4();
          if (code < 0) return false;
          if (code >= 0xD800 && code < 0xDC00 && Word("\\u")) {
            const int low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, static_cast<char32_t>(code));
          break;
        }
        default: return false;
      }
    }
    return false;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

JsonValue::JsonValue() = default;
JsonValue::JsonValue(bool value) : type(Type::kBool), boolean(value) {}
JsonValue::JsonValue(const char* value) : JsonValue(std::string(value)) {}
JsonValue::JsonValue(std::string value) : type(Type::kString), text(std::move(value)) {}

JsonValue JsonValue::Numeral(std::string text) {
  JsonValue value;
  value.type = Type::kNumber;
  value.text = std::move(text);
  return value;
}

JsonValue JsonValue::Array() {
  JsonValue value;
  value.type = Type::kArray;
  return value;
}

JsonValue JsonValue::Object() {
  JsonValue value;
  value.type = Type::kObject;
  return value;
}

JsonValue& JsonValue::Add(std::string name, JsonValue value) {
  members.emplace_back(std::move(name), std::move(value));
  return *this;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  for (const auto& [name, value] : members) {
    if (name == key) return &value;
  }
  return nullptr;
}

double JsonValue::Number() const {
  return type == Type::kNumber ? std::strtod(text.c_str(), nullptr) : 0;
}

std::optional<JsonValue> ParseJson(std::string_view text) { return JsonReader(text).Document(); }

std::string JsonLine(const JsonValue& value) {
  switch (value.type) {
    case JsonValue::Type::kNull: return "null";
    case JsonValue::Type::kBool: return value.boolean ? "true" : "false";
    case JsonValue::Type::kNumber: return value.text;
    case JsonValue::Type::kString: return JsonText(value.text);
    case JsonValue::Type::kArray: {
      std::string line = "[";
      for (std::size_t i = 0; i < value.items.size(); ++i)
        line += (i ? ", " : "") + JsonLine(value.items[i]);
      return line + "]";
    }
    case JsonValue::Type::kObject: {
      std::string line = "{";
      for (std::size_t i = 0; i < value.members.size(); ++i) {
        line += (i ? ", " : "") + JsonText(value.members[i].first) + ": " +
                JsonLine(value.members[i].second);
      }
      return line + "}";
    }
  }
  return "null";
}

std::string JsonBlock(const JsonValue& object) {
  std::string block = "{";
  for (std::size_t i = 0; i < object.members.size(); ++i) {
    const auto& [name, value] = object.members[i];
    block += (i ? ",\n  " : "\n  ") + JsonText(name) + ": ";
    if (value.type != JsonValue::Type::kArray || value.items.empty()) {
      block += JsonLine(value);
      continue;
    }
    for (std::size_t j = 0; j < value.items.size(); ++j)
      block += (j ? ",\n    " : "[\n    ") + JsonLine(value.items[j]);
    block += "\n  ]";
  }
  return block + "\n}\n";
}

}  // namespace torva
