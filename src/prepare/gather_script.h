// The renderer script that copies a scene and its dependencies into the
// project folder, and what the program reads back from its run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torva {

// The opening lines both renderer scripts share: the scene opened, its
// dependencies and the files below its folder listed, and `var i;`.
std::string SceneScriptOpening(const std::string& scene_path);

// The 30 lines of the gather script, each ended by a line feed.
// `target_folder` is the project folder without its trailing "/".
std::string GatherScript(const std::string& scene_path, const std::string& target_folder);

// The renderer's arguments for running the script at `script_path`.
std::vector<std::string> GatherArguments(const std::string& script_path);

// A "Not found:" line of the gather run, with the bytes the renderer wrote.
struct MissingFile {
  std::string name;       // the file name looked for, after the last "/" or "\"
  std::string in_folder;  // the line's text up to its last "/" ("" when none)
};

// Lines without "Not found:" give nothing.
std::optional<MissingFile> ReadNotFoundLine(std::string_view line);

}  // namespace torva
