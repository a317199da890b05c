#include "renderer/detect.h"

#include <filesystem>
#include <system_error>

#include "renderer/benchmark_case.h"
#include "renderer/command_lines.h"
#include "renderer/process.h"
#include "text/text.h"
#include "text/version.h"

namespace torva {

namespace {

// A folder or an empty file does not count.
bool IsNonEmptyFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const auto size = std::filesystem::file_size(path, error);
  return !error && size > 0;
}

}  // namespace

bool MergeToolPresent(const std::string& maxwell_dir) {
  return IsNonEmptyFile(maxwell_dir + "mximerge") ||
         IsNonEmptyFile(maxwell_dir + "mximerge.app/Contents/MacOS/mximerge");
}

bool VersionIsOlder(std::string_view version, std::string_view minimum) {
  return CompareVersions(version, minimum) < 0;
}

RendererProbe ProbeRenderer(Runner& runner, const std::string& maxwell_dir,
                            const std::string& known_version, int time_limit_ms) {
  RendererProbe probe;
  probe.version = known_version;
  probe.merge_tool_present = MergeToolPresent(maxwell_dir);
  if (!probe.merge_tool_present) return probe;

  ExternalProcess renderer =
      runner.Launch(RendererExecutable(maxwell_dir), {"-nogui", "-nowait"}, maxwell_dir);
  const RunEnd end = ReadRun(
      renderer,
      [&probe](const std::string& line) {
        if (line.find("Engine version ") != std::string::npos) {
          probe.version = TextAfter(line, "Engine version ");
          probe.version_found = true;
        } else if (line.find("GPU INFO ") != std::string::npos &&
                   RendererGeneration(probe.version) == 5) {
          probe.gpu_capable = true;
        }
        return RunAction::kGoOn;
      },
      time_limit_ms);
  probe.timed_out = end == RunEnd::kTimedOut;
  probe.start_error = renderer.StartError();
  return probe;
}

}  // namespace torva
