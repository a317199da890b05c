#include "app/main_loop.h"

#include "app/small_commands.h"
#include "benchmark/benchmark_run.h"
#include "estimate/estimation_run.h"
#include "prepare/prepare_project.h"
#include "state/config/settings.h"
#include "update/update_check.h"

namespace torva {
namespace {

void RunCommand(Program& program, const Event& event) {
  switch (event.gadget) {
    case kLogo: LogoClicked(program, event); break;
    case kUploadProject: OpenUploadPage(program); break;
    case kPrepareProject: RunPrepareProject(program); break;
    case kPriceInfo: OpenPricePage(program); break;
    case kAbout: ShowAbout(program); break;
    case kBenchmark: RunBenchmark(program); break;
    case kHelp: OpenHelp(program); break;
    case kConfig: RunConfigButton(program); break;
    case kEstimateProject: RunEstimation(program); break;
    case kCpuDetect: ShowCpuInfo(program); break;
    case kUpdates:
      CheckForUpdate(program, program.constants.ProgramVersion, UpToDateReport::kShow);
      break;
    default: break;  // gadgets without a command
  }
}

}  // namespace

void EndNormally(Program& program) {
  program.desktop.CloseMainWindow();
  if (!SaveConfiguration(program)) {
    program.desktop.Message("TORVAmeter error",
                            "The initialisation file cannot be created! TORVAmeter will "
                            "now quit");
  }
  EndProgram();
}

void RunMainLoop(Program& program) {
  for (;;) {
    Event event = program.desktop.WaitEvent();
    if (event.type == EventType::kGadget) {
      RunCommand(program, event);
      if (program.quit_requested) EndNormally(program);
    } else if (event.type == EventType::kCloseWindow && event.window == kMainWindow) {
      EndNormally(program);
    }
  }
}

}  // namespace torva
