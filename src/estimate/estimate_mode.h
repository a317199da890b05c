#pragma once

namespace torva {

// What an estimation renders with; the numbers are the ones users know.
enum class EstimateMode { kCpu = 1, kGpu = 2 };

inline const char* ModeName(EstimateMode mode) { return mode == EstimateMode::kGpu ? "GPU" : "CPU"; }

}  // namespace torva
