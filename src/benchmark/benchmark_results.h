// The benchmark results and their logs at start-up and after a run.
#pragma once

#include <optional>

#include "app/globals.h"

namespace torva {

// At start-up: logs made with another renderer are set aside, the results
// are loaded, and a missing benchmark is offered. Returns the BenchMode the
// user wants to run at once, if any (the GPU log is not read after a Yes to
// the CPU benchmark).
std::optional<RenderMode> LoadBenchmarksAtStart(Program& program);

// A log whose line 2 names another renderer version is renamed to its ".bak"
// name (an older ".bak" is deleted first), after asking whether the renderer
// folder is still the same. May end the program.
void SetAsideLogOfOtherRenderer(Program& program, RenderMode bench_mode);

// Loads the results of `bench_mode` from its log; when the log is missing or
// empty, offers to run that benchmark. True when the user wants it now
// (BenchMode is then set).
bool LoadResultsOrOfferBenchmark(Program& program, RenderMode bench_mode);

}  // namespace torva
