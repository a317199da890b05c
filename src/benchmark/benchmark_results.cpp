#include "benchmark/benchmark_results.h"

#include <filesystem>

#include "benchmark/benchmark_log.h"
#include "benchmark/benchmark_record.h"
#include "benchmark/farm_figures.h"
#include "desktop/titles.h"
#include "text/paths.h"

namespace torva {
namespace {

const std::string& BackupOf(const Program& program, RenderMode bench_mode) {
  return bench_mode == RenderMode::kGpu ? program.paths.gpu_log_backup
                                        : program.paths.cpu_log_backup;
}

// The renderer is not examined again here: the new folder is checked at the
// next start or benchmark run.
Next AskWhetherRendererFolderMoved(Program& program) {
  State& state = program.state;
  if (program.desktop.Question(QuestionId::kRendererFolderMoved, "Maxwell Render path",
                               "Is Maxwell Render path still " + state.MaxwellDir + "?"))
    return {};
  auto chosen = program.desktop.ChooseFile(
      QuestionId::kMaxwellFolder, "Please select any file in your Maxwell Render directory",
      state.FirstRunDir, "*.*|*.*");
  if (!chosen || chosen->empty())
    return {Next::kEndProgram, "No file selected, TORVAmeter will now quit"};
  state.MaxwellDir = FolderOf(*chosen);
  state.LastDir = state.MaxwellDir;
  return {};
}

Next SetAsideLogOfOtherRenderer(Program& program, RenderMode bench_mode) {
  const std::string& log = BenchmarkLogFor(program.paths, bench_mode);
  std::optional<std::string> logged_version = LoggedRendererVersion(log);
  if (!logged_version || *logged_version == program.state.RendererVersion) return {};

  const Next moved = AskWhetherRendererFolderMoved(program);
  if (!moved.GoesOn()) return moved;
  std::error_code error;
  std::filesystem::remove(BackupOf(program, bench_mode), error);
  std::filesystem::rename(log, BackupOf(program, bench_mode), error);
  program.desktop.Message(BenchmarkTitle(bench_mode),
                          "This is a new version, you will have to relaunch the integrated "
                          "benchmark.");
  return {};
}

// The results of `bench_mode`'s log, when it is there.
bool LoadResults(Program& program, RenderMode bench_mode) {
  const std::string& log = BenchmarkLogFor(program.paths, bench_mode);
  const std::optional<BenchmarkResults> results = ReadBenchmarkLog(log);
  if (results) {
    SetResults(program.state, bench_mode,
               ResultsWithRecord(log, *results, program.state.RendererVersion));
  }
  return results.has_value();
}

}  // namespace

Next SetAsideLogsOfOtherRenderer(Program& program) {
  const Next cpu = SetAsideLogOfOtherRenderer(program, RenderMode::kCpu);
  if (!cpu.GoesOn() || !program.state.GpuCapable) return cpu;
  return SetAsideLogOfOtherRenderer(program, RenderMode::kGpu);
}

bool LoadResultsOrOfferBenchmark(Program& program, RenderMode bench_mode) {
  State& state = program.state;
  if (LoadResults(program, bench_mode)) return false;
  const std::string kind = bench_mode == RenderMode::kGpu ? "GPU benchmark" : "benchmark";
  const bool yes = program.desktop.Question(
      QuestionId::kBenchmarkNow, "TORVAmeter " + kind + "?",
      "Do you want to launch the TORVAmeter " + kind +
          " now?\nRunning the benchmark is mandatory to run estimations.\nYou can launch it "
          "at any time by clicking on the 'Benchmark' button.");
  if (yes) state.BenchMode = bench_mode;
  return yes;
}

void LoadResultsOfThisRenderer(Program& program) {
  for (const RenderMode mode : {RenderMode::kCpu, RenderMode::kGpu}) {
    if (mode == RenderMode::kGpu && !program.state.GpuCapable) continue;
    const std::string& log = BenchmarkLogFor(program.paths, mode);
    const std::optional<std::string> version = LoggedRendererVersion(log);
    if (version && *version != program.state.RendererVersion) {
      program.desktop.Message(kWarningTitle, "The benchmark log " + log + " was made with " +
                                                 *version + "; run the benchmark again.");
    } else if (version) {
      LoadResults(program, mode);
    }
  }
}

std::optional<RenderMode> LoadBenchmarksAtStart(Program& program) {
  if (LoadResultsOrOfferBenchmark(program, RenderMode::kCpu)) return RenderMode::kCpu;
  if (program.state.GpuCapable && LoadResultsOrOfferBenchmark(program, RenderMode::kGpu))
    return RenderMode::kGpu;
  return std::nullopt;
}

}  // namespace torva
