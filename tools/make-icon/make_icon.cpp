// tm-make-icon SIZE OUT.png: the desktop icon of SIZE x SIZE pixels (run by
// the build for the installed icons).
#include <cstdio>
#include <cstdlib>

#include "icon.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tm-make-icon SIZE OUT.png\n");
    return 2;
  }
  if (!torva::WriteIcon(std::atoi(argv[1]), argv[2])) {
    std::fprintf(stderr, "tm-make-icon: cannot make %s\n", argv[2]);
    return 1;
  }
  return 0;
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TM_ICON_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TM_ICON_ADDRESS_SANITIZER)
// Fontconfig, reached through Cairo's font lookup, keeps a few hundred bytes
// for the process's life; that is not ours to free. (The test
// programs get the same from the pictures' code.)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
