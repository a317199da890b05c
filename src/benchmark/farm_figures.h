// The farm's reference figures: what the farm pools measured on each
// benchmark scene, and the files a benchmark run of that case uses.
#pragma once

#include <string>
#include <string_view>

#include "renderer/render_mode.h"
#include "state/program.h"

namespace torva {

struct BenchmarkCase {
  char generation = '5';    // '2', '5', or '3' for renderers 3 and 4
  std::string scene;        // file name in BenchDir
  std::string phase1_size;  // as the messages show it, "1536 x 2048"
  std::string phase2_size;
  int farm_seconds = 0;      // farm time to SL 20 at the PHASE 1 size
  float farm_sl = 0;         // SL the farm reaches in one minute at the PHASE 2 size
  std::string farm_image;    // file name in BenchDir
  std::string system_image;  // this computer's one-minute picture, in BenchDir
};

// The case of a renderer version and BenchMode. The figures follow the
// version compared as text with "3.0.0.0", "4.0.0.0" and "5.0.0.0"; the scene,
// sizes and pictures follow its first character.
BenchmarkCase BenchmarkCaseFor(const Constants& constants, std::string_view renderer_version,
                               RenderMode bench_mode);

// The mean of the PHASE 1 estimates in whole seconds, rounded toward zero.
// `estimations` must be above 0.
long long MeanSeconds(long long time_left_sum, int estimations);

// How many times faster the farm is: the mean estimate over the farm's time.
float SpeedRatio(long long mean_seconds, int farm_seconds);

// How the farm pool is described to the user.
std::string FarmPoolText(RenderMode bench_mode);

// The title of the benchmark's messages: "TORVAmeter Benchmark" or
// "TORVAmeter GPU Benchmark".
std::string BenchmarkTitle(RenderMode bench_mode);

}  // namespace torva
