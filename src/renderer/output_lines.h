// The renderer's progress lines read during the benchmark and the estimation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torva {

enum class ProgressLineKind { kOther, kTimeLeft, kSamplingLevel };

struct ProgressLine {
  ProgressLineKind kind = ProgressLineKind::kOther;
  // kTimeLeft: the text after "Time left: "; kSamplingLevel: after "SL of ".
  std::string text;
  int32_t seconds = 0;  // kTimeLeft: `text` in seconds
};

// PHASE 1 of the benchmark and the estimation run: a line holding
// "Time left:" is a time line even when it also holds "SL of ".
ProgressLine ClassifyProgressLine(std::string_view line);

struct SamplingLevelLine {
  float sampling_level = 0;  // the number after "SL of ", 0 without one
  std::string panel_text;    // the text after ". ", shown in the LogPanel
};

// PHASE 2 of the benchmark: lines holding "SL of ", nullopt for others.
std::optional<SamplingLevelLine> ReadSamplingLevelLine(std::string_view line);

}  // namespace torva
