// The camera-listing script that Pymaxwell runs, built from a fixed header,
// the installed template "GetCameras.py" and a call of its getCameras.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torva {

// The pymaxwell a renderer version comes with: which module the script
// imports and how it gets the scene and the output file.
enum class PymaxwellGeneration { k2, k3, k4, k5 };

// By the renderer generation (RendererGeneration).
PymaxwellGeneration PymaxwellGenerationFor(std::string_view renderer_version);

struct CameraScriptInput {
  PymaxwellGeneration generation = PymaxwellGeneration::k5;
  std::string maxwell_dir;                   // ends with "/"
  std::optional<std::string> template_text;  // nullopt when it cannot be read
  std::string scene_path;
  std::string cameras_file;  // where the script writes the camera lines
};

// The whole script, each line ended by a line feed.
std::string CameraScript(const CameraScriptInput& input);

// Pymaxwell's arguments: the script, and for generations 3 to 5 the scene
// and the output file (generation 2 finds both inside the script).
std::vector<std::string> PymaxwellArguments(PymaxwellGeneration generation,
                                            const std::string& script_path,
                                            const std::string& scene_path,
                                            const std::string& cameras_file);

}  // namespace torva
