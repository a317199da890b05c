// Where the files of the flat project folder came from. The gather script
// copies every dependency under its bare name, so two different files of one
// name leave only one of them in the project. A second short renderer script
// lists the scene's dependencies and, for each, the first file of its name
// below the scene's folder (where the gather script looks when the recorded
// place fails); from that the program finds the names given by files that
// differ.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace torva {

// The listing script: the scene's dependencies as the scene records them,
// each followed by the first file of its name below the scene's folder.
std::string SourcesScript(const std::string& scene_path);

struct RecordedDependency {
  std::string recorded;     // as the scene records it
  std::string below_scene;  // the first file of its name below the scene's folder, or ""
};

// Collects the listing script's lines; the renderer's other lines are ignored.
class SourcesReader {
 public:
  void Read(const std::string& line);
  const std::vector<RecordedDependency>& dependencies() const { return dependencies_; }

 private:
  std::vector<RecordedDependency> dependencies_;
};

// The file a dependency was copied from: its recorded place when a plain
// file stands there (a relative path is taken from `scene_folder`, "\" as
// "/"; a Windows drive or share is no place here), else the file of its name
// below the scene, else the file the user picked for that name ("" when none).
std::string CopiedFrom(const RecordedDependency& dependency, const std::string& scene_folder,
                       const std::map<std::string, std::string>& found_by_hand);

// The file name a dependency has in the project folder.
std::string ProjectName(const std::string& recorded);

struct SameNameFiles {
  std::string name;
  std::vector<std::string> sources;  // every place, first seen first
  std::vector<bool> sent;            // the source's bytes are the project's file
};

// The names given by files whose bytes differ. `copies` holds, in the
// scene's order, each dependency's project name and the file it came from;
// one file reached by several paths counts once. `project_folder` ends with
// "/" (TempDir).
std::vector<SameNameFiles> DifferingSameNameFiles(
    const std::vector<std::pair<std::string, std::string>>& copies,
    const std::string& project_folder);

// The question that names them; Yes packs anyway.
std::string SameNameQuestion(const std::vector<SameNameFiles>& clashes);

// Two files hold the same bytes (false when either cannot be read).
bool SameBytes(const std::string& a, const std::string& b);

}  // namespace torva
