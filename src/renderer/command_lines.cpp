#include "renderer/command_lines.h"

namespace torva {

std::string RendererExecutable(const std::string& maxwell_dir) {
  return maxwell_dir + "Maxwell.app/Contents/MacOS/Maxwell";
}

std::string PymaxwellExecutable(const std::string& maxwell_dir) {
  return maxwell_dir + "Pymaxwell.app/Contents/MacOS/Pymaxwell";
}

std::string ResolutionText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::vector<std::string> BenchmarkArguments(BenchmarkPhase phase, const BenchmarkCase& bench,
                                            const std::string& bench_dir) {
  const bool phase1 = phase == BenchmarkPhase::kPhase1;
  const PictureSize size = phase1 ? bench.phase1_size : bench.phase2_size;
  std::vector<std::string> arguments = {"-mxs:" + bench_dir + "/" + bench.scene,
                                        "-res:" + ResolutionText(size.width, size.height)};
  if (phase1) {
    arguments.insert(arguments.end(), {"-t:9999999", "-s:20"});
  } else {
    arguments.push_back("-t:1");
  }
  arguments.push_back("-th:0");
  arguments.insert(arguments.end(), bench.switches.begin(), bench.switches.end());
  const std::string& image = phase1 ? bench.phase1_image : bench.system_image;
  arguments.insert(arguments.end(), {"-mxi:" + bench_dir + "/" + bench.mxi,
                                     "-o:" + bench_dir + "/" + image, "-nogui", "-nowait"});
  return arguments;
}

}  // namespace torva
