// TORVAmeter for Maxwell Render, in its window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/globals.h"
#include "app/startup.h"
#include "update/update_check.h"
#include "platform/fltk/fltk_desktop.h"

int main(int argc, char** argv) {
  std::string app_dir = torva::kShippedAppDir;
  std::string update_host, probe_limit;
#ifdef TM_SANDBOX
  // The sandbox build takes another application folder, update server and
  // renderer probe limit, for tests and demos.
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--app-dir") == 0) app_dir = argv[i + 1];
    if (std::strcmp(argv[i], "--update-host") == 0) update_host = argv[i + 1];
    if (std::strcmp(argv[i], "--probe-limit") == 0) probe_limit = argv[i + 1];
  }
#else
  (void)argc;
  (void)argv;
#endif
  // Without a window system every dialog would be a silent no-op and the run
  // would look like a success.
  if (!torva::ConnectToDisplay()) {
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
      std::fprintf(stderr, "cannot open the display \"%s\"\n", display);
    else
      std::fprintf(stderr, "cannot open the display: DISPLAY is not set\n");
    return 1;
  }
  torva::FltkDesktop desktop;
  torva::Program program(desktop, app_dir);
  if (!update_host.empty()) torva::PointUpdatesAt(update_host, program.update_servers);
  if (!probe_limit.empty()) torva::SetProbeLimit(probe_limit, program);
  return torva::RunProgram(program);
}
