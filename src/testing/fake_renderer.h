// For tests: a console renderer in a scratch installation, as a shell script
// (for exact control of its output and timing; tools/sim-maxwell makes whole
// installations).
#pragma once

#include <string>

#include "testing/files.h"

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

}  // namespace torva
