#include "estimate/estimation_run.h"

#include "desktop/buttons_disabled.h"
#include "estimate/estimation_steps.h"

namespace torva {

EstimationOutcome RunEstimation(Program& program, const EstimationOptions& options) {
  Estimation run(program, options);
  const Next ready = CheckReady(program, run);
  if (ready.kind == Next::kEndProgram) EndProgramAfter(program.desktop, ready, run.outcome);
  if (!ready.GoesOn()) return run.outcome;
  if (!ChooseProject(run).GoesOn()) {
    run.outcome.ending =
        program.state.quit_requested ? Outcome::Ending::kQuit : Outcome::Ending::kCancelled;
    return run.outcome;
  }
  ButtonsDisabled greyed(program.desktop, kEstimateProject);
  OpenLog(run);
  if (!UnpackProject(run).GoesOn()) return run.outcome;
  if (!RenderProject(run).GoesOn()) {
    DiscardRun(run);
    return run.outcome;
  }
  Evaluate(run);
  KeepTheRecord(run);
  CleanUp(run);
  return run.outcome;
}

}  // namespace torva
