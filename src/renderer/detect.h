// Finding the renderer installation and the version it reports. Returns what
// was found; what to tell the user about it is the caller's business.
#pragma once

#include <string>
#include <string_view>

#include "renderer/runner.h"

namespace torva {

// The renderer prints its banner at once; one that is still running after
// this long is ended and what it printed so far counts.
constexpr int kVersionProbeLimitMs = 20000;

struct RendererProbe {
  // mximerge was found; when it was not, the renderer was not run.
  bool merge_tool_present = false;
  // The text after the last "Engine version " line; the version passed in
  // when no such line came.
  std::string version;
  bool version_found = false;
  // A "GPU INFO " line came while the version (so far) was of generation 5.
  bool gpu_capable = false;
  // The renderer was still running at the time limit and was ended.
  bool timed_out = false;
  // Why the renderer could not be started (an errno value), or 0.
  int start_error = 0;
};

// mximerge in either of its two places, as a file of at least one byte.
bool MergeToolPresent(const std::string& maxwell_dir);

// Looks for mximerge in `maxwell_dir` and, when it is there, runs the console
// renderer once (" -nogui -nowait") to read its version and GPU support.
// `known_version` is the version known before (it decides whether GPU lines
// that come before any version line count).
RendererProbe ProbeRenderer(Runner& runner, const std::string& maxwell_dir,
                            const std::string& known_version,
                            int time_limit_ms = kVersionProbeLimitMs);

// By CompareVersions: "10.0.1" is newer than "2.7.0", "2.7" older than "2.7.0".
bool VersionIsOlder(std::string_view version, std::string_view minimum);

}  // namespace torva
