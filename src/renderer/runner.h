// How steps start the programs they run (the renderer, Pymaxwell, 7za):
// through a Runner, so that a test can hand them a fake that plays scripted
// output instead of starting a process.
#pragma once

#include <string>
#include <vector>

#include "renderer/process.h"

namespace torva {

class Runner {
 public:
  virtual ~Runner() = default;
  // Starts `executable` with `arguments` in `working_dir`; returns at once.
  virtual ExternalProcess Launch(const std::string& executable,
                                 const std::vector<std::string>& arguments,
                                 const std::string& working_dir) = 0;
};

// Starts real processes.
class ProcessRunner final : public Runner {
 public:
  ExternalProcess Launch(const std::string& executable, const std::vector<std::string>& arguments,
                         const std::string& working_dir) override {
    return ExternalProcess::Launch(executable, arguments, working_dir);
  }
};

// The runner of the program's real processes.
inline Runner& RealRunner() {
  static ProcessRunner runner;
  return runner;
}

}  // namespace torva
