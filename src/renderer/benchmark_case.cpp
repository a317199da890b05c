#include "renderer/benchmark_case.h"

#include <array>

#include "text/version.h"

namespace torva {
namespace {

struct CaseFiles {
  const char* scene;
  const char* mxi;
  PictureSize phase1_size, phase2_size;
  const char* system_image;
  const char* farm_image;
};

// One row for each BenchmarkRow, in its order.
constexpr std::array<CaseFiles, 3> kCases = {{
    {"Absolute.mxs",
     "Absolute.mxi",
     {2304, 3072},
     {768, 1024},
     "Absolute_yoursystem_1mn.jpg",
     "Absolute_Torva_1mn.jpg"},
    {"TrainSSS.mxs",
     "TrainSSS.mxi",
     {768, 1024},
     {768, 1024},
     "TrainSSS_yoursystem_1mn.jpg",
     "TrainSSS_Torva_1mn.jpg"},
    {"Bottles_on_a_window.mxs",
     "Bottles.mxi",
     {1536, 2048},
     {1536, 2048},
     "Bottles_yoursystem_1mn.jpg",
     "Bottles_Torva_1mn.jpg"},
}};

}  // namespace

int RendererGeneration(std::string_view renderer_version) {
  int generation = 2;
  for (const int next : {3, 4, 5})
    if (CompareVersions(renderer_version, std::to_string(next)) >= 0) generation = next;
  return generation;
}

BenchmarkRow BenchmarkRowFor(std::string_view renderer_version) {
  switch (RendererGeneration(renderer_version)) {
    case 2: return BenchmarkRow::kRenderer2;
    case 5: return BenchmarkRow::kRenderer5;
    default: return BenchmarkRow::kRenderers3And4;
  }
}

BenchmarkCase BenchmarkCaseFor(BenchmarkRow row, RenderMode bench_mode) {
  const CaseFiles& files = kCases.at(static_cast<std::size_t>(row));
  BenchmarkCase bench;
  bench.scene = files.scene;
  bench.mxi = files.mxi;
  bench.phase1_size = files.phase1_size;
  bench.phase2_size = files.phase2_size;
  bench.phase1_image = bench.system_image = files.system_image;
  bench.farm_image = files.farm_image;
  if (row != BenchmarkRow::kRenderer5) return bench;

  bench.library_folder = "library/Scenes/Bottles_on_a_window/";
  bench.library_files = {bench.scene, "OpenfootageNEtHDRCow_small.hdr"};
  if (bench_mode == RenderMode::kGpu) {
    bench.switches = {"-nomxi:off", "-noimage:off", "-rs:2", "-gpuall", "-multigpu:coop"};
    bench.system_image = "Bottles_yoursystem_1mn_gpu.jpg";
    bench.farm_image = "Bottles_Torva_1mn_gpu.jpg";
  } else {
    bench.switches = {"-nomxi:off", "-noimage:off", "-rs:1"};
  }
  return bench;
}

}  // namespace torva
