// The program-wide values and state. One `Program` holds all of it; it is
// passed explicitly, so that a test can build a fresh one in a temporary folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop.h"
#include "install/app_paths.h"
#include "renderer/detect.h"
#include "renderer/process.h"
#include "renderer/render_mode.h"
#include "renderer/runner.h"

namespace torva {

// The farm's pools: CPU-Low priority on V4 nodes, GPU-Low priority on RTX nodes.
inline constexpr int kFarmCpuNodes = 32;
inline constexpr int kFarmGpuNodes = 14;

// How many nodes the farm's pool for `mode` has.
inline int FarmNodes(RenderMode mode) {
  return mode == RenderMode::kGpu ? kFarmGpuNodes : kFarmCpuNodes;
}

// Fixed at start-up; only MxiSizeLimitMB may be overridden by the configuration.
struct Constants {
  std::string ProgramVersion = "2.8";
  std::string MinRendererVersion = "2.7.0";
  int MxiSizeLimitMB = 20480;
  int FarmCpuUnits = 7188;
  float FarmCpuUnitPrice = 0.015f;
  // GPU-Low priority: one unit per node, 6 EUR per node and hour.
  int FarmGpuUnits = kFarmGpuNodes;
  float FarmGpuUnitPrice = 6.0f;
  int FarmTimeV2 = 873;
  float FarmSLV2 = 19.26f;
  int FarmTimeV3 = 386;
  float FarmSLV3 = 16.04f;
  int FarmTimeV4 = 368;
  float FarmSLV4 = 16.25f;
  int FarmTimeV5 = 481;
  float FarmSLV5 = 15.4f;
  int FarmTimeV5Gpu = 218;
  float FarmSLV5Gpu = 17.96f;
};

// The benchmark log of BenchMode `mode`.
inline const std::string& BenchmarkLogFor(const AppPaths& paths, RenderMode mode) {
  return mode == RenderMode::kGpu ? paths.GpuBenchmarkLog : paths.BenchmarkLog;
}

// Where a measured speed ratio likely lies; nullopt: open on that side.
struct RatioRange {
  std::optional<float> low, high;
};

// What a benchmark measured; 0 stands for "not run".
struct BenchmarkResults {
  float speed_ratio = 0;
  float delta_sl = 0;
  RatioRange range;
};

// What changes while the program runs.
struct State {
  std::string MaxwellDir;
  std::string LastDir;
  std::string FarmLogin;
  std::string FarmPassword;
  bool CheckUpdates = false;
  // A stored update answer other than "Yes" and "No" (such as "yes"): it
  // counts as No and is written back as it stood until the question is asked.
  std::string unusual_update_line;
  std::string FirstRunDir;
  // Credential lines of ConfigFile with nothing decodable: written back as
  // they stood until new credentials are given.
  std::string unreadable_login_line, unreadable_password_line;
  std::string RendererVersion;
  bool GpuCapable = false;
  std::optional<RenderMode> BenchMode;  // unset until a benchmark starts
  float FarmSpeedRatio = 0;
  float DeltaSL = 0;
  float GpuFarmSpeedRatio = 0;
  float GpuDeltaSL = 0;
  RatioRange FarmSpeedRatioRange, GpuFarmSpeedRatioRange;
  bool NetworkReady = false;
  int LogLine = 0;
  std::string LastSamplingLevel;  // the SL of the latest estimation, as typed
  // Set when the user chose to quit during a long command: once the command
  // has stopped its child and cleaned up, the program ends as after a close
  // of the main window (the configuration is written).
  bool quit_requested = false;
};

// The results of BenchMode `mode` the program holds.
inline BenchmarkResults ResultsFor(const State& state, RenderMode mode) {
  return mode == RenderMode::kGpu
             ? BenchmarkResults{state.GpuFarmSpeedRatio, state.GpuDeltaSL,
                                state.GpuFarmSpeedRatioRange}
             : BenchmarkResults{state.FarmSpeedRatio, state.DeltaSL, state.FarmSpeedRatioRange};
}
inline void SetResults(State& state, RenderMode mode, BenchmarkResults results) {
  if (mode == RenderMode::kGpu) {
    state.GpuFarmSpeedRatio = results.speed_ratio;
    state.GpuDeltaSL = results.delta_sl;
    state.GpuFarmSpeedRatioRange = results.range;
  } else {
    state.FarmSpeedRatio = results.speed_ratio;
    state.DeltaSL = results.delta_sl;
    state.FarmSpeedRatioRange = results.range;
  }
}

// A benchmark in `mode` has given both of its figures (0 means not run).
inline bool BenchmarkDone(const State& state, RenderMode mode) {
  const BenchmarkResults results = ResultsFor(state, mode);
  return results.speed_ratio != 0 && results.delta_sl != 0;
}

// Where the update check connects: the public server, or the local
// mini-farm's when the marker file exists. Tests point both at a local server.
struct UpdateServers {
  std::string public_host = "update.torva.fr";
  std::string mini_farm_host = "torvaupdate";
  int port = 6789;
};

struct Program {
  Program(Desktop& desktop_, const std::string& app_dir, Runner& runner_ = RealRunner())
      : paths(AppPaths::For(app_dir)), desktop(desktop_), runner(runner_) {
    state.LastDir = paths.AppDir;
  }

  Constants constants;
  AppPaths paths;
  State state;
  UpdateServers update_servers;
  // How long the renderer's version probe may take before it is ended; the
  // test programs lengthen it, since a starved machine starts programs slowly.
  int renderer_probe_limit_ms = kVersionProbeLimitMs;
  // What the renderer check found last time.
  std::optional<RendererProbe> renderer_probe;
  // The commands without a window check the renderer and then run one
  // command, whose own check follows at once: it takes those findings
  // rather than start the renderer a second time.
  bool reuse_renderer_probe = false;
  // The file of what the window remembers between runs (state/remembered.h);
  // empty for the programs without one, which remember nothing.
  std::string remembered_file;
  Desktop& desktop;
  // Starts the programs the commands run.
  Runner& runner;
};

// Why a work folder of the program (the project folder, the unpacking
// folder) cannot be used: one of that name holds what the user keeps there.
inline std::string ForeignFolderMessage(const std::string& folder) {
  return "The folder " + folder +
         " holds files that TORVAmeter did not make, and TORVAmeter works in a folder of that "
         "name.\nMove them elsewhere, or give TORVAmeter an application folder of its own.";
}

// LogPanel: add 1 to LogLine, then add the text at position LogLine.
inline void ReportLine(Desktop& desktop, State& state, const std::string& text) {
  ++state.LogLine;
  desktop.AddLogLine(state.LogLine, text);
}

}  // namespace torva
