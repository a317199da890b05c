// The renderer's programs inside the installation and the command lines of
// the benchmark runs.
#pragma once

#include <string>
#include <vector>

#include "renderer/benchmark_case.h"

namespace torva {

// `maxwell_dir` ends with "/".
std::string RendererExecutable(const std::string& maxwell_dir);
std::string PymaxwellExecutable(const std::string& maxwell_dir);

// "1920x1080", as "-res:" takes a size.
std::string ResolutionText(int width, int height);

enum class BenchmarkPhase {
  kPhase1,  // the time to SL 20
  kPhase2,  // the one-minute render
};

// The arguments of a benchmark phase for its case. `bench_dir` has no
// trailing "/"; each path is one argument, blanks and all.
std::vector<std::string> BenchmarkArguments(BenchmarkPhase phase, const BenchmarkCase& bench,
                                            const std::string& bench_dir);

}  // namespace torva
