// The benchmark results and their logs at start-up and after a run.
#pragma once

#include <optional>

#include "state/next.h"
#include "state/program.h"

namespace torva {

// At start-up, the CPU log and then (GpuCapable) the GPU log: one whose
// line 2 names another renderer version is renamed to its ".bak" name (an
// older ".bak" is deleted first), after asking whether the renderer folder is
// still the same. No file chosen for a new folder ends the program.
Next SetAsideLogsOfOtherRenderer(Program& program);

// At start-up, after the logs of another renderer were set aside: the results
// are loaded, and a missing benchmark is offered. Returns the BenchMode the
// user wants to run at once, if any (the GPU log is not read after a Yes to
// the CPU benchmark).
std::optional<RenderMode> LoadBenchmarksAtStart(Program& program);

// For the commands without a window: the results of the logs (GPU only when
// GpuCapable) that RendererVersion made, asking nothing and changing no file.
// A log of another version counts as no benchmark, with a warning.
void LoadResultsOfThisRenderer(Program& program);

// Loads the results of `bench_mode` from its log; when the log is missing or
// empty, offers to run that benchmark. True when the user wants it now
// (BenchMode is then set).
bool LoadResultsOrOfferBenchmark(Program& program, RenderMode bench_mode);

}  // namespace torva
