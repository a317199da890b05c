// tm-make-icon SIZE OUT.png: the desktop icon of SIZE x SIZE pixels (run by
// the build for the installed icons).
#include <cstdio>
#include <cstdlib>

#include "fontconfig_leak.h"
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
