#include "desktop/gadgets.h"

#include <algorithm>
#include <array>

namespace torva {
namespace {

constexpr auto kAllPlaces = [] {
  std::array<GadgetPlace, 3 + std::size(kButtonPlaces)> all{
      {kLogoPlace, kLogPanelPlace, kProgressBarPlace}};
  std::copy(std::begin(kButtonPlaces), std::end(kButtonPlaces), all.begin() + 3);
  return all;
}();

}  // namespace

std::string GadgetTableText() {
  std::string text;
  for (const GadgetPlace& place : kAllPlaces) {
    text += std::to_string(place.gadget);
    for (int number : {place.x, place.y, place.width, place.height})
      text += ' ' + std::to_string(number);
    if (*place.label) text += std::string(" ") + place.label;
    text += '\n';
  }
  return text;
}

}  // namespace torva
