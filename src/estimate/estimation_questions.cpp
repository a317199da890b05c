#include "estimate/estimation_questions.h"

#include <cmath>

#include "renderer/render_limits.h"
#include "text/numbers.h"

namespace torva {

std::optional<int> ResolutionFromAnswer(std::string_view answer) {
  const long long value = ReadWholeNumber(answer);
  if (value < kMinRenderSide || value > kMaxRenderSide) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<int> SamplingLevelFromAnswer(std::string_view answer) {
  // nearbyint rounds an exact half to the even neighbour (the default mode).
  const double rounded = std::nearbyint(ReadDecimal(answer));
  if (!(rounded >= kMinSamplingLevel && rounded <= kMaxSamplingLevel)) return std::nullopt;
  return static_cast<int>(rounded);
}

std::optional<int> AskResolution(Desktop& desktop, QuestionId id, const std::string& title,
                                 const std::string& prompt, const std::string& initial) {
  for (;;) {
    const std::optional<std::string> answer = desktop.InputFrom(id, title, prompt, initial);
    if (!answer || answer->empty()) return std::nullopt;
    if (auto value = ResolutionFromAnswer(*answer)) return value;
  }
}

std::optional<SamplingLevelAnswer> AskSamplingLevel(Desktop& desktop, const std::string& initial) {
  for (;;) {
    const std::optional<std::string> answer = desktop.InputFrom(
        QuestionId::kSamplingLevel, "Sampling Level",
        "Enter the SL to reach (SL >= " + std::to_string(kMinSamplingLevel) + ")", initial);
    if (!answer || answer->empty()) return std::nullopt;
    if (auto level = SamplingLevelFromAnswer(*answer)) return SamplingLevelAnswer{*level, *answer};
  }
}

}  // namespace torva
