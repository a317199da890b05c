// For tests: a console renderer in a scratch installation, as a shell script
// (for exact control of its output and timing; tools/sim-maxwell makes whole
// installations).
#pragma once

#include <cerrno>
#include <string>

#include "testing/fake_runner.h"
#include "testing/files.h"
#include "testing/jpeg.h"

namespace torva {

// Writes `maxwell_dir` + "Maxwell.app/Contents/MacOS/Maxwell" running
// `script` (shell commands), and a non-empty "mximerge" beside it.
inline void InstallFakeRenderer(const std::string& maxwell_dir, const std::string& script) {
  WriteExecutable(maxwell_dir + "Maxwell.app/Contents/MacOS/Maxwell",
                  "#!/bin/sh\n" + script + "\n");
  WriteFile(maxwell_dir + "mximerge", "merge tool");
}

// Shell commands printing `banner` (whole lines).
inline std::string PrintingBanner(const std::string& banner) {
  return "cat <<'END'\n" + banner + "END";
}

// The renderer of version `version` played by a FakeRunner: run without a
// scene it prints its version (and a GPU line with `gpu`); a render first
// writes a picture where "-o:" says, then plays `replay`. A launch of
// anything else cannot start.
inline FakeRunner::Player PlayedRenderer(const std::string& version, const std::string& replay,
                                         bool gpu = false) {
  return [version, replay, gpu](const FakeRunner::Launched& launch) {
    if (!launch.executable.ends_with("/Maxwell"))
      return FakeProgram{.replay = "", .start_error = ENOENT};
    if (ArgumentAfter(launch.arguments, "-mxs:").empty())
      return FakeProgram{.replay = "Engine version " + version + "\n" +
                                   (gpu ? "GPU INFO Device 0: a played GPU\n" : "")};
    const std::string picture = ArgumentAfter(launch.arguments, "-o:");
    if (!picture.empty()) WriteJpeg(picture, 48, 64, 90, 90, 90);
    return FakeProgram{.replay = replay};
  };
}

}  // namespace torva
