#include "renderer/benchmark_case.h"

namespace torva {

BenchmarkRow BenchmarkRowFor(std::string_view renderer_version) {
  if (renderer_version.starts_with('2')) return BenchmarkRow::kRenderer2;
  if (renderer_version.starts_with('5')) return BenchmarkRow::kRenderer5;
  return BenchmarkRow::kRenderers3And4;
}

BenchmarkCase BenchmarkCaseFor(BenchmarkRow row, RenderMode bench_mode) {
  BenchmarkCase bench;
  bench.row = row;
  switch (row) {
    case BenchmarkRow::kRenderer2:
      bench.scene = "Absolute.mxs";
      bench.mxi = "Absolute.mxi";
      bench.phase1_size = {2304, 3072};
      bench.phase2_size = {768, 1024};
      bench.system_image = "Absolute_yoursystem_1mn.jpg";
      bench.farm_image = "Absolute_Torva_1mn.jpg";
      break;
    case BenchmarkRow::kRenderers3And4:
      bench.scene = "TrainSSS.mxs";
      bench.mxi = "TrainSSS.mxi";
      bench.phase1_size = bench.phase2_size = {768, 1024};
      bench.system_image = "TrainSSS_yoursystem_1mn.jpg";
      bench.farm_image = "TrainSSS_Torva_1mn.jpg";
      break;
    case BenchmarkRow::kRenderer5:
      bench.scene = "Bottles_on_a_window.mxs";
      bench.mxi = "Bottles.mxi";
      bench.phase1_size = bench.phase2_size = {1536, 2048};
      bench.library_folder = "library/Scenes/Bottles_on_a_window/";
      bench.library_files = {bench.scene, "OpenfootageNEtHDRCow_small.hdr"};
      if (bench_mode == RenderMode::kGpu) {
        bench.switches = {"-nomxi:off", "-noimage:off", "-rs:2", "-gpuall", "-multigpu:coop"};
        bench.phase1_image = "Bottles_yoursystem_1mn.jpg";
        bench.system_image = "Bottles_yoursystem_1mn_gpu.jpg";
        bench.farm_image = "Bottles_Torva_1mn_gpu.jpg";
      } else {
        bench.switches = {"-nomxi:off", "-noimage:off", "-rs:1"};
        bench.system_image = "Bottles_yoursystem_1mn.jpg";
        bench.farm_image = "Bottles_Torva_1mn.jpg";
      }
      break;
  }
  if (bench.phase1_image.empty()) bench.phase1_image = bench.system_image;
  return bench;
}

}  // namespace torva
