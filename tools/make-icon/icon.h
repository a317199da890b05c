// The desktop icon, made from the program's logo: the whole word mark,
// scaled to fit a square with a margin, on the logo's own background colour.
#pragma once

#include "platform/picture.h"

namespace torva {

// A `size` x `size` picture; an empty one (0 x 0) for an unusable logo or a
// size out of 16 to 1024.
Picture IconFromLogo(const Picture& logo, int size);

}  // namespace torva
