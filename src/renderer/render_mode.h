// What a render runs on: the processors or the graphics cards. The numbers are
// the ones the benchmark and the estimation have always used (1 and 2).
#pragma once

namespace torva {

enum class RenderMode { kCpu = 1, kGpu = 2 };

inline const char* ModeName(RenderMode mode) { return mode == RenderMode::kGpu ? "GPU" : "CPU"; }

}  // namespace torva
