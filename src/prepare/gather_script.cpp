#include "prepare/gather_script.h"

#include "prepare/script_text.h"
#include "text/text.h"

namespace torva {

std::string SceneScriptOpening(const std::string& scene_path) {
  std::string s;
  s += "var mxsPath = \"" + ScriptStringContent(scene_path) + "\";\n";
  s += "Maxwell.openMxs(mxsPath);\n";
  s += "var nDeps = Scene.getSceneDependenciesCount();\n";
  s += "var deps = Scene.getSceneDependencies();\n";
  s += "var lnDeps = "
       "FileManager.getNumberOfFilesInBranch(FileManager.getFileFolder(mxsPath),\"*.*\");\n";
  s += "var lDeps = FileManager.getFilesInBranch(FileManager.getFileFolder(mxsPath),\"*.*\");\n";
  s += "var i;\n";
  return s;
}

std::string GatherScript(const std::string& scene_path, const std::string& target_folder) {
  std::string s = SceneScriptOpening(scene_path);
  s += "var targetFolder = \"" + ScriptStringContent(target_folder) + "\";\n";
  s += "FileManager.copyFile( mxsPath, targetFolder + \"/\" + FileManager.getFileNameAndExtension( "
       "mxsPath ));\n";
  s += "for( i = 0; i < nDeps; i++ )\n";
  s += "{\n";
  s += "\tvar currentDep = deps[i];\n";
  s += "\tvar target = targetFolder + \"/\" + FileManager.getFileNameAndExtension( currentDep );\n";
  s += "\tvar ok = FileManager.copyFile( currentDep, target );\n";
  s += "\tif( ok == 0 )\n";
  s += "\t{\n";
  s += "\t\tvar found=0;\n";
  s += "\t\tfor (j = 0; j < lnDeps; j++)\n";
  s += "\t\t{\n";
  s += "\t\t\tif (FileManager.getFileNameAndExtension(lDeps[j]) == "
       "FileManager.getFileNameAndExtension(currentDep))\n";
  s += "\t\t\t{\n";
  s += "\t\t\t\tfound=1;\n";
  s += "\t\t\t\ttarget = targetFolder + \"/\" + FileManager.getFileNameAndExtension( currentDep "
       ");\n";
  s += "\t\t\t\tFileManager.copyFile( lDeps[j], target );\n";
  s += "\t\t\t\tbreak;\n";
  s += "\t\t\t}\n";
  s += "\t\t}\n";
  s += "\t\tif (found == 0) Maxwell.print( \"Not found: \" + currentDep );\n";
  s += "\t}\n";
  s += "}\n";
  return s;
}

std::vector<std::string> GatherArguments(const std::string& script_path) {
  return {"-script:" + script_path, "-writestdout", "-nowait"};
}

std::optional<MissingFile> ReadNotFoundLine(std::string_view line) {
  constexpr std::string_view kMarker = "Not found:";
  if (line.find(kMarker) == std::string_view::npos) return std::nullopt;
  const std::string after = TextAfter(line, kMarker);

  MissingFile missing;
  const std::size_t last_slash = after.rfind('/');
  if (last_slash != std::string::npos) missing.in_folder = after.substr(0, last_slash + 1);

  std::string path = after;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  // The blank the script prints after the colon is not part of the name.
  if (!path.empty() && path.front() == ' ') path.erase(0, 1);
  const std::size_t name_start = path.rfind('/');
  missing.name = name_start == std::string::npos ? path : path.substr(name_start + 1);
  return missing;
}

}  // namespace torva
