// For tests: a console renderer in a scratch installation, as a shell script
// (for exact control of its output and timing; tools/sim-maxwell makes whole
// installations).
#pragma once

#include <string>

#include "renderer/benchmark_case.h"
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

// What a played renderer of `version` needs on the disk in `maxwell_dir`
// (ending in "/"): mximerge, and the benchmark scene of its library.
inline void InstallPlayedRenderer(const std::string& maxwell_dir, const std::string& version) {
  WriteFile(maxwell_dir + "mximerge", "merge tool");
  const BenchmarkCase bench = BenchmarkCaseFor(BenchmarkRowFor(version), RenderMode::kCpu);
  for (const std::string& name : bench.library_files)
    WriteFile(maxwell_dir + bench.library_folder + name, "from the library");
}

// The size of the MXI a played render writes: 3 MiB, as a small scene's.
inline constexpr std::size_t kPlayedMxiBytes = std::size_t{3} << 20;

// The renderer of version `version` played by a FakeRunner: run without a
// scene it prints its version (and a GPU line with `gpu`); a render first
// writes a picture where "-o:" says and an MXI where "-mxi:" says, then
// plays `replay`. Other programs
// (7za) are started for real.
inline FakeRunner::Player PlayedRenderer(const std::string& version, const std::string& replay,
                                         bool gpu = false) {
  return [version, replay, gpu](const FakeRunner::Launched& launch) -> std::optional<FakeProgram> {
    if (!launch.executable.ends_with("/Maxwell")) return std::nullopt;
    if (ArgumentAfter(launch.arguments, "-mxs:").empty())
      return FakeProgram{.replay = "Engine version " + version + "\n" +
                                   (gpu ? "GPU INFO Device 0: a played GPU\n" : ""),
                         .start_error = 0};
    const std::string picture = ArgumentAfter(launch.arguments, "-o:");
    if (!picture.empty()) WriteJpeg(picture, 48, 64, 90, 90, 90);
    const std::string mxi = ArgumentAfter(launch.arguments, "-mxi:");
    if (!mxi.empty()) WriteFile(mxi, std::string(kPlayedMxiBytes, 'M'));
    return FakeProgram{.replay = replay, .start_error = 0};
  };
}

}  // namespace torva
