// The renderer's programs inside the installation and the command lines of
// the benchmark runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "renderer/render_mode.h"

namespace torva {

// `maxwell_dir` ends with "/".
std::string RendererExecutable(const std::string& maxwell_dir);
std::string PymaxwellExecutable(const std::string& maxwell_dir);

// Which benchmark rows a renderer version uses: '2', '5', or '3' for every
// other version (renderers 3 and 4 share their rows).
char RendererGeneration(std::string_view renderer_version);

// The arguments of benchmark `phase` (1: time to SL 20, 2: the one minute
// render) for a generation of RendererGeneration; `bench_mode` GPU
// matters for generation '5' only. `bench_dir` has no trailing "/"; each path
// is one argument, blanks and all.
std::vector<std::string> BenchmarkArguments(int phase, char generation, RenderMode bench_mode,
                                            const std::string& bench_dir);
// The MXI file both benchmark phases have the renderer write ("-mxi:").
std::string BenchmarkMxiPath(char generation, const std::string& bench_dir);

}  // namespace torva
