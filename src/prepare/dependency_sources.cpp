#include "prepare/dependency_sources.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "prepare/gather_script.h"
#include "prepare/scene_name.h"
#include "prepare/script_text.h"
#include "text/text.h"
#include "text/utf8.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDependency = "TORVAmeter dependency: ";
constexpr std::string_view kBelowScene = "TORVAmeter same name below the scene: ";

bool IsPlainFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsWindowsPlace(const std::string& recorded) {
  const bool drive =
      recorded.size() >= 3 &&
      ((recorded[0] >= 'A' && recorded[0] <= 'Z') || (recorded[0] >= 'a' && recorded[0] <= 'z')) &&
      recorded[1] == ':' && (recorded[2] == '\\' || recorded[2] == '/');
  return drive || recorded.starts_with("\\\\");
}

// One file reached by several paths ("a/../a/x", links) is one place.
std::string Place(const std::string& path) {
  std::error_code ec;
  const fs::path canonical = fs::canonical(path, ec);
  return ec ? path : canonical.string();
}

}  // namespace

std::string SourcesScript(const std::string& scene_path) {
  std::string s = SceneScriptOpening(scene_path);
  s += "var j;\n";
  s += "for( i = 0; i < nDeps; i++ )\n";
  s += "{\n";
  s += "\tMaxwell.print( \"" + std::string(kDependency) + "\" + deps[i] );\n";
  s += "\tfor( j = 0; j < lnDeps; j++ )\n";
  s += "\t{\n";
  s += "\t\tif (FileManager.getFileNameAndExtension(lDeps[j]) == "
       "FileManager.getFileNameAndExtension(deps[i]))\n";
  s += "\t\t{\n";
  s += "\t\t\tMaxwell.print( \"" + std::string(kBelowScene) + "\" + lDeps[j] );\n";
  s += "\t\t\tbreak;\n";
  s += "\t\t}\n";
  s += "\t}\n";
  s += "}\n";
  return s;
}

void SourcesReader::Read(const std::string& line) {
  if (line.find(kDependency) != std::string::npos) {
    dependencies_.push_back({TextAfter(line, kDependency), ""});
  } else if (line.find(kBelowScene) != std::string::npos && !dependencies_.empty()) {
    dependencies_.back().below_scene = TextAfter(line, kBelowScene);
  }
}

std::string ProjectName(const std::string& recorded) {
  std::string path = recorded;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return FileNameOf(path);
}

std::string CopiedFrom(const RecordedDependency& dependency, const std::string& scene_folder,
                       const std::map<std::string, std::string>& found_by_hand) {
  if (!IsWindowsPlace(dependency.recorded)) {
    std::string path = dependency.recorded;
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    if (!path.starts_with("/")) path = scene_folder + path;
    if (IsPlainFile(path)) return path;
  }
  if (!dependency.below_scene.empty() && IsPlainFile(dependency.below_scene))
    return dependency.below_scene;
  const auto by_hand = found_by_hand.find(ProjectName(dependency.recorded));
  return by_hand == found_by_hand.end() ? "" : by_hand->second;
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
  if (!left || !right) return false;
  char left_chunk[64 * 1024], right_chunk[64 * 1024];
  for (;;) {
    left.read(left_chunk, sizeof left_chunk);
    right.read(right_chunk, sizeof right_chunk);
    const std::streamsize n = left.gcount();
    if (n != right.gcount() || std::string_view(left_chunk, n) != std::string_view(right_chunk, n))
      return false;
    if (n == 0) return !left.bad() && !right.bad();
  }
}

std::vector<SameNameFiles> DifferingSameNameFiles(
    const std::vector<std::pair<std::string, std::string>>& copies,
    const std::string& project_folder) {
  struct Group {
    std::vector<std::string> sources, places;
  };
  std::vector<std::string> names;  // in the scene's order
  std::map<std::string, Group> groups;
  for (const auto& [name, source] : copies) {
    if (source.empty()) continue;
    if (!groups.count(name)) names.push_back(name);
    Group& group = groups[name];
    const std::string place = Place(source);
    if (std::find(group.places.begin(), group.places.end(), place) != group.places.end()) continue;
    group.places.push_back(place);
    group.sources.push_back(source);
  }
  std::vector<SameNameFiles> clashes;
  for (const std::string& name : names) {
    const Group& group = groups[name];
    bool differ = false;
    for (std::size_t i = 1; i < group.sources.size() && !differ; ++i)
      differ = !SameBytes(group.sources[0], group.sources[i]);
    if (!differ) continue;
    SameNameFiles clash{name, group.sources, {}};
    for (const std::string& source : group.sources)
      clash.sent.push_back(SameBytes(source, project_folder + name));
    clashes.push_back(std::move(clash));
  }
  return clashes;
}

std::string SameNameQuestion(const std::vector<SameNameFiles>& clashes) {
  std::string text = "Files of the same name come from different folders and differ:\n";
  for (const SameNameFiles& clash : clashes) {
    text += "\n" + ValidUtf8(clash.name) + "\n";
    for (std::size_t i = 0; i < clash.sources.size(); ++i)
      text += "   " + ValidUtf8(clash.sources[i]) + (clash.sent[i] ? " (sent)" : "") + "\n";
  }
  return text +
         "\nThe project folder holds one file of each name, so only one of them will be sent "
         "to the farm and the scene may be rendered with the wrong file.\nDo you want to "
         "prepare the project anyway?";
}

}  // namespace torva
