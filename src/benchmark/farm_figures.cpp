#include "benchmark/farm_figures.h"

#include "renderer/command_lines.h"

namespace torva {

BenchmarkCase BenchmarkCaseFor(const Constants& constants, std::string_view renderer_version,
                               RenderMode bench_mode) {
  BenchmarkCase bench;
  bench.generation = RendererGeneration(renderer_version);
  switch (bench.generation) {
    case '2':
      bench.scene = "Absolute.mxs";
      bench.phase1_size = "2304 x 3072";
      bench.phase2_size = "768 x 1024";
      bench.farm_image = "Absolute_Torva_1mn.jpg";
      bench.system_image = "Absolute_yoursystem_1mn.jpg";
      break;
    case '5':
      bench.scene = "Bottles_on_a_window.mxs";
      bench.phase1_size = bench.phase2_size = "1536 x 2048";
      bench.farm_image =
          bench_mode == RenderMode::kGpu ? "Bottles_Torva_1mn_gpu.jpg" : "Bottles_Torva_1mn.jpg";
      bench.system_image = bench_mode == RenderMode::kGpu ? "Bottles_yoursystem_1mn_gpu.jpg"
                                                          : "Bottles_yoursystem_1mn.jpg";
      break;
    default:
      bench.scene = "TrainSSS.mxs";
      bench.phase1_size = bench.phase2_size = "768 x 1024";
      bench.farm_image = "TrainSSS_Torva_1mn.jpg";
      bench.system_image = "TrainSSS_yoursystem_1mn.jpg";
      break;
  }

  // Text comparison, character code by character code, as for every version.
  if (renderer_version < std::string_view("3.0.0.0")) {
    bench.farm_seconds = constants.FarmTimeV2;
    bench.farm_sl = constants.FarmSLV2;
  } else if (renderer_version < std::string_view("4.0.0.0")) {
    bench.farm_seconds = constants.FarmTimeV3;
    bench.farm_sl = constants.FarmSLV3;
  } else if (renderer_version < std::string_view("5.0.0.0")) {
    bench.farm_seconds = constants.FarmTimeV4;
    bench.farm_sl = constants.FarmSLV4;
  } else if (bench_mode == RenderMode::kGpu) {
    bench.farm_seconds = constants.FarmTimeV5Gpu;
    bench.farm_sl = constants.FarmSLV5Gpu;
  } else {
    bench.farm_seconds = constants.FarmTimeV5;
    bench.farm_sl = constants.FarmSLV5;
  }
  return bench;
}

long long MeanSeconds(long long time_left_sum, int estimations) {
  return time_left_sum / estimations;
}

float SpeedRatio(long long mean_seconds, int farm_seconds) {
  return static_cast<float>(mean_seconds) / static_cast<float>(farm_seconds);
}

std::string FarmPoolText(RenderMode bench_mode) {
  return bench_mode == RenderMode::kGpu ? "GPU-Low priority, 14 nodes RTX"
                                        : "CPU-Low priority, 32 nodes V4";
}

std::string BenchmarkTitle(RenderMode bench_mode) {
  return bench_mode == RenderMode::kGpu ? "TORVAmeter GPU Benchmark" : "TORVAmeter Benchmark";
}

}  // namespace torva
