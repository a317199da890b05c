// TORVAmeter for Maxwell Render, in its window.
#include <cstring>
#include <string>

#include "app/globals.h"
#include "app/startup.h"
#include "platform/fltk/fltk_desktop.h"

int main(int argc, char** argv) {
  std::string app_dir = torva::kShippedAppDir;
#ifdef TM_SANDBOX
  // The sandbox build takes another application folder, for tests and demos.
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--app-dir") == 0) app_dir = argv[i + 1];
#else
  (void)argc;
  (void)argv;
#endif
  torva::FltkDesktop desktop;
  torva::Program program(desktop, app_dir);
  return torva::RunProgram(program);
}
