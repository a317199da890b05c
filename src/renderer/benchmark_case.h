// The benchmark's cases: what a run renders and writes for each renderer
// row, and at which sizes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "renderer/render_mode.h"

namespace torva {

// The benchmark scene a renderer version runs: renderers 3 and 4 share theirs.
enum class BenchmarkRow { kRenderer2, kRenderers3And4, kRenderer5 };

// The renderer generation of a version, 2 to 5, by CompareVersions with "3",
// "4" and "5": anything older than "3" counts as 2 and anything newer than
// 5 as 5 ("10.0.1" is 5). It chooses the benchmark row, the farm's figures
// and the camera script.
int RendererGeneration(std::string_view renderer_version);

// Generation 2, 3 or 4, 5.
BenchmarkRow BenchmarkRowFor(std::string_view renderer_version);

struct PictureSize {
  int width = 0, height = 0;
};

// One row in one BenchMode; the file names are in BenchDir.
struct BenchmarkCase {
  std::string scene;
  std::string mxi;  // what both phases have the renderer write
  PictureSize phase1_size, phase2_size;
  std::vector<std::string> switches;  // the row's own renderer switches
  // PHASE 1 writes its picture under the CPU run's name, in both modes.
  std::string phase1_image;
  std::string system_image;  // this computer's one-minute picture
  std::string farm_image;    // the farm's
  // The renderer 5 scene and its light come from the renderer's library, in
  // this folder of MaxwellDir ("" for the other rows).
  std::string library_folder;
  std::vector<std::string> library_files;
};

// BenchMode GPU changes the renderer 5 row only.
BenchmarkCase BenchmarkCaseFor(BenchmarkRow row, RenderMode bench_mode);

}  // namespace torva
