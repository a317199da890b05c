#include "estimate/estimation_run.h"

#include "estimate/estimation_steps.h"
#include "platform/buttons_disabled.h"

namespace torva {

void RunEstimation(Program& program, const EstimationOptions& options) {
  Estimation run(program, options);
  const Next ready = CheckReady(run);
  if (ready.kind == Next::kEndProgram) EndProgramAfter(program.desktop, ready);
  if (ready.kind == Next::kGiveUp || !ChooseProject(run)) return;
  ButtonsDisabled greyed(program.desktop, kEstimateProject);
  OpenLog(run);
  if (!UnpackProject(run)) return;
  RenderProject(run);
  if (run.render.quit) {
    DiscardRun(run);
    return;
  }
  Evaluate(run);
  KeepTheRecord(run);
  CleanUp(run);
}

}  // namespace torva
