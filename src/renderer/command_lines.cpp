#include "renderer/command_lines.h"

namespace torva {

std::string RendererExecutable(const std::string& maxwell_dir) {
  return maxwell_dir + "Maxwell.app/Contents/MacOS/Maxwell";
}

std::string PymaxwellExecutable(const std::string& maxwell_dir) {
  return maxwell_dir + "Pymaxwell.app/Contents/MacOS/Pymaxwell";
}

char RendererGeneration(std::string_view renderer_version) {
  if (renderer_version.starts_with('2')) return '2';
  if (renderer_version.starts_with('5')) return '5';
  return '3';
}

std::string BenchmarkMxiPath(char generation, const std::string& bench_dir) {
  const char* name = generation == '2'   ? "Absolute.mxi"
                     : generation == '5' ? "Bottles.mxi"
                                         : "TrainSSS.mxi";
  return bench_dir + "/" + name;
}

std::vector<std::string> BenchmarkArguments(int phase, char generation, RenderMode bench_mode,
                                            const std::string& bench_dir) {
  const bool gpu = generation == '5' && bench_mode == RenderMode::kGpu;
  std::string scene, size, image;
  std::vector<std::string> switches;
  switch (generation) {
    case '2':
      scene = "Absolute.mxs";
      size = phase == 1 ? "2304x3072" : "768x1024";
      image = "Absolute_yoursystem_1mn.jpg";
      break;
    case '5':
      scene = "Bottles_on_a_window.mxs";
      size = "1536x2048";
      switches = gpu ? std::vector<std::string>{"-nomxi:off", "-noimage:off", "-rs:2", "-gpuall",
                                                "-multigpu:coop"}
                     : std::vector<std::string>{"-nomxi:off", "-noimage:off", "-rs:1"};
      image = gpu && phase == 2 ? "Bottles_yoursystem_1mn_gpu.jpg" : "Bottles_yoursystem_1mn.jpg";
      break;
    default:
      scene = "TrainSSS.mxs";
      size = "768x1024";
      image = "TrainSSS_yoursystem_1mn.jpg";
      break;
  }
  std::vector<std::string> arguments = {"-mxs:" + bench_dir + "/" + scene, "-res:" + size};
  if (phase == 1) {
    arguments.insert(arguments.end(), {"-t:9999999", "-s:20"});
  } else {
    arguments.push_back("-t:1");
  }
  arguments.push_back("-th:0");
  arguments.insert(arguments.end(), switches.begin(), switches.end());
  arguments.insert(arguments.end(), {"-mxi:" + BenchmarkMxiPath(generation, bench_dir),
                                     "-o:" + bench_dir + "/" + image, "-nogui", "-nowait"});
  return arguments;
}

}  // namespace torva
