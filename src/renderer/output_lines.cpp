#include "renderer/output_lines.h"

#include "text/numbers.h"
#include "text/text.h"
#include "text/time_text.h"

namespace torva {

namespace {

constexpr std::string_view kTimeLeftMarker = "Time left:";
constexpr std::string_view kSamplingLevelMarker = "SL of ";

bool Holds(std::string_view line, std::string_view marker) {
  return line.find(marker) != std::string_view::npos;
}

}  // namespace

ProgressLine ClassifyProgressLine(std::string_view line) {
  ProgressLine result;
  if (Holds(line, kTimeLeftMarker)) {
    result.kind = ProgressLineKind::kTimeLeft;
    result.text = TextAfter(line, "Time left: ");
    result.seconds = ParseTimeText(result.text);
  } else if (Holds(line, kSamplingLevelMarker)) {
    result.kind = ProgressLineKind::kSamplingLevel;
    result.text = TextAfter(line, kSamplingLevelMarker);
  }
  return result;
}

std::optional<SamplingLevelLine> ReadSamplingLevelLine(std::string_view line) {
  if (!Holds(line, kSamplingLevelMarker)) return std::nullopt;
  SamplingLevelLine result;
  result.sampling_level = static_cast<float>(ReadDecimal(TextAfter(line, kSamplingLevelMarker)));
  result.panel_text = TextAfter(line, ". ");
  return result;
}

}  // namespace torva
