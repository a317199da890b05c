#include <filesystem>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_steps.h"
#include "desktop/titles.h"
#include "state/renderer_check.h"

namespace torva {

Next CheckReady(Program& program, BenchmarkRun& run) {
  Desktop& desktop = run.desktop;
  State& state = run.state;
  const RenderMode mode = run.mode;
  const auto fail = [&](const std::string& title, const std::string& text) {
    run.Fail(title, text);
    return Next::GiveUp();
  };
  const BenchmarkCase known = BenchmarkCaseFor(BenchmarkRowFor(state.RendererVersion), mode);
  std::error_code error;
  if (!known.library_folder.empty() &&
      !std::filesystem::exists(state.MaxwellDir + known.library_folder + known.scene, error)) {
    return fail(kBenchmarkErrorTitle,
                "Can't find Maxwell 5 benchmark scene!\nPlease install Maxwell Studio on this "
                "system.");
  }

  desktop.ClearLog();
  state.LogLine = 0;

  const RendererCheck renderer_check = CheckRenderer(program);
  if (renderer_check == RendererCheck::kInstallationGone) return GiveUpOnInstallation(program);
  if (renderer_check == RendererCheck::kTooOld)
    return fail(kErrorTitle, TooOldToRunMessage(program, "the benchmark"));

  const bool yes = !BenchmarkLogPresent(BenchmarkLogFor(run.paths, mode)) ||
                   desktop.Question(QuestionId::kBenchmarkAgain, BenchmarkTitle(mode),
                                    "The benchmark has already been run. Do you want to "
                                    "run it again?\nIf yes the new data will replace the old "
                                    "values.");
  if (!yes) {
    run.outcome.ending = Outcome::Ending::kCancelled;
    return Next::GiveUp();
  }
  run.bench = BenchmarkCaseFor(BenchmarkRowFor(state.RendererVersion), mode);
  run.farm = FarmFiguresFor(run.constants, state.RendererVersion, mode);
  return {};
}

}  // namespace torva
