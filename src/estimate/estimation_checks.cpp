#include "desktop/titles.h"
#include "estimate/estimation_steps.h"
#include "state/renderer_check.h"

namespace torva {

Next CheckReady(Program& program, Estimation& run) {
  Desktop& desktop = run.desktop;
  State& state = run.state;
  const RendererCheck renderer_check = CheckRenderer(program);
  if (renderer_check == RendererCheck::kInstallationGone) return GiveUpOnInstallation(program);
  if (state.GpuCapable) {
    // Either answer starts an estimation: a dismissed box starts none.
    const std::optional<bool> gpu =
        desktop.QuestionOrCancel(QuestionId::kEstimationType, "Estimation type",
                                 "Is this scene designed for GPU rendering?");
    if (!gpu) {
      run.outcome.ending = Outcome::Ending::kCancelled;
      return Next::GiveUp();
    }
    if (*gpu) run.project.mode = RenderMode::kGpu;
  }
  if (renderer_check == RendererCheck::kTooOld) {
    run.Fail(kErrorTitle, TooOldToRunMessage(program, "the estimator"));
    return Next::GiveUp();
  }
  if (!BenchmarkDone(state, run.project.mode)) {
    run.Fail(kErrorTitle,
             "Before doing an estimation, you must run the benchmark on your system!\n"
             "Click on the 'Benchmark' button below to do so.");
    return Next::GiveUp();
  }
  return {};
}

}  // namespace torva
