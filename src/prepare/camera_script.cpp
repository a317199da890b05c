#include "prepare/camera_script.h"

#include "prepare/script_text.h"
#include "renderer/benchmark_case.h"

namespace torva {

PymaxwellGeneration PymaxwellGenerationFor(std::string_view renderer_version) {
  switch (RendererGeneration(renderer_version)) {
    case 2: return PymaxwellGeneration::k2;
    case 3: return PymaxwellGeneration::k3;
    case 4: return PymaxwellGeneration::k4;
    default: return PymaxwellGeneration::k5;
  }
}

namespace {

std::string ImportLine(PymaxwellGeneration generation) {
  if (generation == PymaxwellGeneration::k5) return "from pymaxwell5 import *";
  if (generation == PymaxwellGeneration::k4) return "from pymaxwell4 import *";
  return "from pymaxwell import *";
}

void AppendTemplateLines(std::string& script, std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    script.append(line);
    script += '\n';
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

std::string CameraScript(const CameraScriptInput& input) {
  const std::string pymaxwell_dir =
      PythonStringContent(input.maxwell_dir) + "Pymaxwell.app/Contents/MacOS/../../../Libs/";
  std::string script = "import sys\n\n";
  script += "sys.path.append('" + pymaxwell_dir + "pymaxwell/python2.7')\n";
  script += "sys.path.append('" + pymaxwell_dir + "numpy')\n\n";
  script += ImportLine(input.generation) + "\n\n";
  if (input.template_text) AppendTemplateLines(script, *input.template_text);
  script += "\n";
  if (input.generation == PymaxwellGeneration::k2) {
    script += "getCameras(\"" + PythonStringContent(input.scene_path) + "\",\"" +
              PythonStringContent(input.cameras_file) + "\")\n";
  } else {
    script += "getCameras(sys.argv[1],sys.argv[2])\n";
  }
  return script;
}

std::vector<std::string> PymaxwellArguments(PymaxwellGeneration generation,
                                            const std::string& script_path,
                                            const std::string& scene_path,
                                            const std::string& cameras_file) {
  if (generation == PymaxwellGeneration::k2) return {"-nogui", script_path};
  return {"-nogui", script_path, scene_path, cameras_file};
}

}  // namespace torva
