// The farm's reference figures: what the farm pools measured on each
// benchmark case, and how a run's figures compare with them.
#pragma once

#include <string>
#include <string_view>

#include "renderer/benchmark_case.h"
#include "renderer/render_mode.h"
#include "state/program.h"

namespace torva {

// What the farm's pool measured on a benchmark case.
struct FarmFigures {
  int seconds = 0;  // time to SL 20 at the PHASE 1 size
  float sl = 0;     // the SL reached in one minute at the PHASE 2 size
};

// The figures follow the renderer generation (RendererGeneration) and
// BenchMode; renderers 3 and 4 share a case but not its figures.
FarmFigures FarmFiguresFor(const Constants& constants, std::string_view renderer_version,
                           RenderMode bench_mode);

// "1536 x 2048", as the messages show a size.
std::string SizeText(PictureSize size);

// The mean of the PHASE 1 estimates in whole seconds, rounded toward zero.
// `estimations` must be above 0.
long long MeanSeconds(long long time_left_sum, int estimations);

// How many times faster the farm is: the mean estimate over the farm's time.
float SpeedRatio(long long mean_seconds, int farm_seconds);

// What a real computer can measure. The farm's pools render the benchmark
// scene to SL 20 in minutes (481 s on the CPU pool, 218 s on the GPU pool).
// A ratio of 0.05 would be a computer twenty times faster than a whole pool,
// hundreds of nodes in one box; 5000 one that needs weeks for the scene, a
// few hundredths of one node: a small laptop is some hundreds. Beyond them a
// ratio comes from predictions no renderer meant.
inline constexpr float kMinSpeedRatio = 0.05f;
inline constexpr float kMaxSpeedRatio = 5000;

// How the farm pool is described to the user.
std::string FarmPoolText(RenderMode bench_mode);

// The title of the benchmark's messages: "TORVAmeter Benchmark" or
// "TORVAmeter GPU Benchmark".
std::string BenchmarkTitle(RenderMode bench_mode);

}  // namespace torva
