#include "app/main_loop.h"

#include "app/small_commands.h"
#include "benchmark/benchmark_run.h"
#include "desktop/titles.h"
#include "estimate/estimation_run.h"
#include "prepare/prepare_project.h"
#include "state/config/settings.h"
#include "state/remembered.h"
#include "update/update_check.h"

namespace torva {
namespace {

// Runs the command of a button; false when it ends the program at once.
bool RunCommand(Program& program, const Event& event) {
  switch (event.gadget) {
    case kLogo: LogoClicked(program, event); break;
    case kUploadProject: OpenUploadPage(program); break;
    case kPrepareProject: return !RunPrepareProject(program).EndsProgram();
    case kPriceInfo: OpenPricePage(program); break;
    case kAbout: ShowAbout(program); break;
    case kBenchmark: return !RunBenchmark(program).EndsProgram();
    case kHelp: OpenHelp(program); break;
    case kConfig: RunConfigButton(program); break;
    case kEstimateProject: return !RunEstimation(program).EndsProgram();
    case kCpuDetect: ShowCpuInfo(program); break;
    case kUpdates:
      return !CheckForUpdate(program, program.constants.ProgramVersion, UpToDateReport::kShow);
    default: break;  // gadgets without a command
  }
  return true;
}

// Where the window stood (its frame's corner) and its size, for the next run;
// a failure loses only that.
void Remember(Program& program) {
  if (program.remembered_file.empty()) return;
  const Rect inside = program.desktop.MainWindowFrame();
  const Margins m = program.desktop.WindowMargins();
  Remembered remembered;
  if (inside.width > 0 && inside.height > 0)
    remembered.main_window = Rect{inside.x - m.left, inside.y - m.top, inside.width, inside.height};
  remembered.sampling_level = program.state.LastSamplingLevel;
  WriteRemembered(program.remembered_file, remembered);
}

}  // namespace

void EndNormally(Program& program) {
  Remember(program);
  program.desktop.CloseMainWindow();
  if (!SaveConfiguration(program)) {
    program.desktop.Message(kErrorTitle,
                            "The initialisation file cannot be created! TORVAmeter will "
                            "now quit");
  }
}

void RunMainLoop(Program& program) {
  for (;;) {
    Event event = program.desktop.WaitEvent();
    if (event.type == EventType::kGadget) {
      if (!RunCommand(program, event)) return;
      if (program.state.quit_requested) return EndNormally(program);
    } else if (event.type == EventType::kCloseWindow && event.window == kMainWindow) {
      return EndNormally(program);
    } else if (event.type == EventType::kCloseWindow) {
      program.desktop.CloseWindow(event.window);  // one a command left open (a chart)
    }
  }
}

}  // namespace torva
