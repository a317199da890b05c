// Version texts ("5.2.1.49", "2.10") and their order.
#pragma once

#include <string_view>

namespace torva {

// Negative when `a` is older than `b`, 0 when they are the same version,
// positive when it is newer. The texts are compared part by part (parts are
// separated by "."): first by the number each part starts with, as a number
// of any length (a part without one comes before every number), then by the
// rest of the part as text. When every part that both have is the same, the
// text with fewer parts is the older: "2.7" comes before "2.7.0", and the
// empty text before every version.
int CompareVersions(std::string_view a, std::string_view b);

}  // namespace torva
