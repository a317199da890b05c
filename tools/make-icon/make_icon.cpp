// tm-make-icon LOGO.png SIZE OUT.png: the desktop icon of SIZE x SIZE pixels
// made from the logo (run by the build for the installed icons).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "icon.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tm-make-icon LOGO.png SIZE OUT.png\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  const auto logo = torva::DecodePng(bytes);
  const torva::Picture icon =
      torva::IconFromLogo(logo.value_or(torva::Picture{}), std::atoi(argv[2]));
  if (icon.width == 0 || !torva::SavePng(icon, argv[3])) {
    std::fprintf(stderr, "tm-make-icon: cannot make %s from %s\n", argv[3], argv[1]);
    return 1;
  }
  return 0;
}
