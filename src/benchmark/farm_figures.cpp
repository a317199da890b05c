#include "benchmark/farm_figures.h"

namespace torva {

FarmFigures FarmFiguresFor(const Constants& constants, std::string_view renderer_version,
                           RenderMode bench_mode) {
  switch (RendererGeneration(renderer_version)) {
    case 2: return {constants.FarmTimeV2, constants.FarmSLV2};
    case 3: return {constants.FarmTimeV3, constants.FarmSLV3};
    case 4: return {constants.FarmTimeV4, constants.FarmSLV4};
    default: break;
  }
  if (bench_mode == RenderMode::kGpu) return {constants.FarmTimeV5Gpu, constants.FarmSLV5Gpu};
  return {constants.FarmTimeV5, constants.FarmSLV5};
}

std::string SizeText(PictureSize size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
}

long long MeanSeconds(long long time_left_sum, int estimations) {
  return time_left_sum / estimations;
}

float SpeedRatio(long long mean_seconds, int farm_seconds) {
  return static_cast<float>(mean_seconds) / static_cast<float>(farm_seconds);
}

std::string FarmPoolText(RenderMode bench_mode) {
  const std::string nodes = std::to_string(FarmNodes(bench_mode)) + " nodes ";
  return bench_mode == RenderMode::kGpu ? "GPU-Low priority, " + nodes + "RTX"
                                        : "CPU-Low priority, " + nodes + "V4";
}

std::string BenchmarkTitle(RenderMode bench_mode) {
  return bench_mode == RenderMode::kGpu ? "TORVAmeter GPU Benchmark" : "TORVAmeter Benchmark";
}

}  // namespace torva
