#include <filesystem>

#include "benchmark/benchmark_steps.h"

namespace torva {

SceneCopy::SceneCopy(const BenchmarkRun& run) {
  namespace fs = std::filesystem;
  const std::string source = run.state.MaxwellDir + run.bench.library_folder;
  for (const std::string& name : run.bench.library_files) {
    copies_.push_back(run.InBenchDir(name));
    std::error_code error;
    fs::remove(copies_.back(), error);  // a link left there goes, not what it points at
    if (!fs::exists(source + name, error)) continue;
    fs::copy_file(source + name, copies_.back(), error);
    if (error && !failure_) failure_ = error;
  }
}

void SceneCopy::Remove() {
  for (const std::string& copy : copies_) {
    std::error_code error;
    std::filesystem::remove(copy, error);
  }
  copies_.clear();
}

}  // namespace torva
