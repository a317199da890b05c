// The environment a spawned program inherits.
#pragma once

#ifdef __APPLE__
#include <crt_externs.h>
#else
#include <unistd.h>
#endif

namespace torva {

inline char** InheritedEnvironment() {
#ifdef __APPLE__
  return *_NSGetEnviron();
#else
  return environ;
#endif
}

}  // namespace torva
