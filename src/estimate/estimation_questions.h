// The render size and the sampling level asked before an estimation.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "desktop/desktop.h"

namespace torva {

// The whole number at the start of a width or height answer, when it lies in
// kMinRenderSide..kMaxRenderSide; nullopt means "ask again".
std::optional<int> ResolutionFromAnswer(std::string_view answer);

// The decimal number at the start of an SL answer rounded half to even, when
// it lies in kMinSamplingLevel..kMaxSamplingLevel (the prompt names only the
// least); nullopt means "ask again".
std::optional<int> SamplingLevelFromAnswer(std::string_view answer);

// Asks until the answer is in range; nullopt when the user cancels or
// answers nothing.
std::optional<int> AskResolution(Desktop& desktop, QuestionId id, const std::string& title,
                                 const std::string& prompt, const std::string& initial = "");

struct SamplingLevelAnswer {
  int level = 0;
  std::string typed;  // the accepted answer exactly as typed
};
std::optional<SamplingLevelAnswer> AskSamplingLevel(Desktop& desktop,
                                                    const std::string& initial = "");

}  // namespace torva
