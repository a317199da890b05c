// What packing a project through the program costs against running 7za by
// hand on the same folder: a generated project of about 200 MB (half random
// bytes, half text-like data) is packed both ways, with both compression
// choices, and the ratio of the wall times is printed (target: at most 1.02).
//
// tm_pack_bench; TM_PACK_MB sets the project size, TM_PACK_ROUNDS the rounds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "desktop/scripted/scripted_desktop.h"
#include "prepare/preparation_steps.h"
#include "renderer/process.h"
#include "testing/commands.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 20;

std::string SystemArchiver() {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin";
  for (std::size_t from = 0;;) {
    const std::size_t colon = folders.find(':', from);
    const std::string candidate = folders.substr(from, colon - from) + "/7za";
    if (fs::exists(candidate)) return candidate;
    if (colon == std::string::npos) return "/usr/bin/7za";
    from = colon + 1;
  }
}

// The generated project and an application folder around it, made once.
struct Setup {
  TempFolder root;
  std::string app = root.path() + "/app";
  std::string project = root.path() + "/project";  // the template copied before each run
  std::string archiver;
  long long project_bytes = 0;

  Setup() {
    const char* mb = std::getenv("TM_PACK_MB");
    const long long total = (mb ? std::atoll(mb) : 200) << 20;
    fs::create_directories(app + "/archive");
    fs::create_directories(app + "/benchmark");
    fs::create_directories(project);
    archiver = app + "/7za";
    fs::copy_file(SystemArchiver(), archiver);
    WriteFile(app + "/benchmark/TORVAmeter_Benchmark.log", "benchmark log\n");

    std::mt19937_64 random(42);
    const char* words[] = {"diffuse ", "specular ", "bump ", "emitter ", "camera ",
                           "mesh ",    "0.125 ",    "1024 ", "\n"};
    for (int i = 0; i < kFiles; ++i) {
      std::string data;
      const std::size_t size = static_cast<std::size_t>(total / kFiles);
      data.reserve(size);
      if (i % 2 == 0) {
        while (data.size() < size) {
          const std::uint64_t r = random();
          data.append(reinterpret_cast<const char*>(&r), sizeof r);
        }
      } else {
        while (data.size() < size) data += words[random() % 9];
      }
      data.resize(size);
      WriteFile(project + "/part" + std::to_string(i) + (i % 2 ? ".obj" : ".png"), data);
      project_bytes += static_cast<long long>(size);
    }
  }

  void FreshProjectFolder(const std::string& temp) const {
    fs::remove_all(temp);
    fs::copy(project, temp);
    fs::remove(app + "/archive/Bench.vum");
    fs::remove(app + "/archive/Bench.vum.zip");
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// The program's own path: the archive step of "Prepare project", with the
// compression question answered, the watched runs, the progress bar, the
// report and the logs added to the archive.
void BM_PackThroughProgram(benchmark::State& state) {
  Setup& setup = TheSetup();
  const bool maximum = state.range(0) == 1;
  for (auto _ : state) {
    state.PauseTiming();
    std::FILE* transcript = std::fopen("/dev/null", "w");
    ScriptedDesktop desktop(ParseAnswers(maximum ? "yes\n" : "no\n").answers, transcript);
    Program program(desktop, setup.app);
    setup.FreshProjectFolder(program.paths.TempDir);
    Preparation preparation(program);
    preparation.scene_name = "Bench";
    preparation.dependency_count = kFiles;
    preparation.project_size = setup.project_bytes;
    preparation.log.Open(program.paths.project_log);
    state.ResumeTiming();

    PackProject(preparation);

    state.PauseTiming();
    std::fclose(transcript);
    if (!fs::exists(setup.app + "/archive/Bench.vum")) state.SkipWithError("no archive");
    state.ResumeTiming();
  }
}

// The same two archiver runs started by hand, nothing watched.
void BM_PackBare7za(benchmark::State& state) {
  Setup& setup = TheSetup();
  const bool maximum = state.range(0) == 1;
  const std::string temp = setup.app + "/temp/";
  const std::string archive = setup.app + "/archive/Bench.vum" + (maximum ? "" : ".zip");
  const std::string level = maximum ? " -mx=5" : " -mx1";
  for (auto _ : state) {
    state.PauseTiming();
    setup.FreshProjectFolder(temp);
    WriteFile(setup.app + "/TORVAmeter_Maxwell.log", "project log\n");
    state.ResumeTiming();

    RunAndWait(setup.archiver, Words("a " + archive + level + " -r"), temp);
    RunAndWait(setup.archiver,
               Words("a " + archive + " " + setup.app + "/TORVAmeter_Maxwell.log " + setup.app +
                     "/benchmark/TORVAmeter_Benchmark.log" + level),
               temp);
  }
}

// Keeps the shortest wall time of each way and compression, so that the
// ratio compares the two ways at their least disturbed.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.benchmark_name();  // e.g. "BM_PackBare7za/1/round:2/..."
      const bool program = name.find("ThroughProgram") != std::string::npos;
      const std::string arg = name.substr(name.find('/') + 1, 1);
      auto& best = (program ? program_ : bare_)[arg];
      const double seconds = run.GetAdjustedRealTime();
      if (best == 0 || seconds < best) best = seconds;
    }
  }
  void PrintRatios() const {
    for (const auto& [arg, seconds] : program_) {
      const auto bare = bare_.find(arg);
      if (bare == bare_.end() || bare->second <= 0) continue;
      std::printf("pack ratio (%s): program %.2f s / bare 7za %.2f s = %.3f\n",
                  arg == "1" ? "7z -mx=5" : "zip -mx1", seconds, bare->second,
                  seconds / bare->second);
    }
  }

 private:
  std::map<std::string, double> program_, bare_;
};

}  // namespace
}  // namespace torva

int main(int argc, char** argv) {
  // Rounds alternate the two ways, so that a change in the machine's load
  // falls on both alike.
  const char* rounds_text = std::getenv("TM_PACK_ROUNDS");
  const int rounds = rounds_text ? std::max(1, std::atoi(rounds_text)) : 3;
  for (int round = 1; round <= rounds; ++round) {
    for (int compression : {0, 1}) {
      const std::string suffix =
          "/" + std::to_string(compression) + "/round:" + std::to_string(round);
      const auto program = [&] {
        benchmark::RegisterBenchmark(("BM_PackThroughProgram" + suffix).c_str(),
                                     torva::BM_PackThroughProgram)
            ->Arg(compression)
            ->Iterations(1)
            ->Unit(benchmark::kSecond)
            ->UseRealTime();
      };
      const auto bare = [&] {
        benchmark::RegisterBenchmark(("BM_PackBare7za" + suffix).c_str(), torva::BM_PackBare7za)
            ->Arg(compression)
            ->Iterations(1)
            ->Unit(benchmark::kSecond)
            ->UseRealTime();
      };
      // Each way goes first in every other round.
      if (round % 2) {
        program();
        bare();
      } else {
        bare();
        program();
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  torva::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
