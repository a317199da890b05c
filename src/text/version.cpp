#include "text/version.h"

#include <cstddef>

namespace torva {
namespace {

// One part of a version: its leading digits without their leading zeros,
// whether it had digits at all, and what follows them.
struct VersionPart {
  bool has_number = false;
  std::string_view digits, rest;
};

VersionPart SplitPart(std::string_view part) {
  std::size_t end = 0;
  while (end < part.size() && part[end] >= '0' && part[end] <= '9') ++end;
  VersionPart split{end > 0, part.substr(0, end), part.substr(end)};
  while (split.digits.size() > 1 && split.digits.front() == '0') split.digits.remove_prefix(1);
  return split;
}

int Sign(int value) { return (value > 0) - (value < 0); }

int ComparePart(std::string_view a, std::string_view b) {
  const VersionPart x = SplitPart(a), y = SplitPart(b);
  if (x.has_number != y.has_number) return x.has_number ? 1 : -1;
  // Numbers of any length: the longer one is larger, else digit by digit.
  if (x.digits.size() != y.digits.size()) return x.digits.size() < y.digits.size() ? -1 : 1;
  if (const int digits = Sign(x.digits.compare(y.digits)); digits != 0) return digits;
  return Sign(x.rest.compare(y.rest));
}

// The part up to the next "." (or the end), taken off `text`.
std::string_view NextPart(std::string_view& text) {
  const std::size_t dot = text.find('.');
  const std::string_view part = text.substr(0, dot);
  text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  return part;
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  // The empty text has no parts; "2." has two, the second empty.
  bool a_left = !a.empty(), b_left = !b.empty();
  while (a_left && b_left) {
    a_left = a.find('.') != std::string_view::npos;
    b_left = b.find('.') != std::string_view::npos;
    if (const int part = ComparePart(NextPart(a), NextPart(b)); part != 0) return part;
  }
  return static_cast<int>(a_left) - static_cast<int>(b_left);
}

}  // namespace torva
