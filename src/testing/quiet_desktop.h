// For tests and benchmarks: a desktop with no answers to give. It has no
// events, its waits sleep, and its transcript is thrown away.
#pragma once

#include <cstdio>

#include "desktop/scripted/scripted_desktop.h"

namespace torva {

inline std::FILE* DevNull() {
  static std::FILE* const file = std::fopen("/dev/null", "w");
  return file;
}

class QuietDesktop : public ScriptedDesktop {
 public:
  QuietDesktop() : ScriptedDesktop({}, DevNull()) {}
};

}  // namespace torva
