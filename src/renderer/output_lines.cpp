#include "renderer/output_lines.h"

#include <algorithm>
#include <cmath>

#include "text/numbers.h"
#include "text/text.h"
#include "text/time_text.h"

namespace torva {

namespace {

constexpr std::string_view kTimeLeftMarker = "Time left:";
constexpr std::string_view kSamplingLevelMarker = "SL of ";
constexpr std::string_view kElapsedMarker = "Elapsed ";

bool Holds(std::string_view line, std::string_view marker) {
  return line.find(marker) != std::string_view::npos;
}

bool StartsWithNumber(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i < text.size() && text[i] == '.') ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::optional<double> BelievableSamplingLevel(std::string_view text) {
  if (!StartsWithNumber(text)) return std::nullopt;
  const double level = ReadDecimal(text);
  if (!std::isfinite(level) || level < 0 || level >= 1000) return std::nullopt;
  return level;
}

}  // namespace

ProgressLine ClassifyProgressLine(std::string_view line) {
  ProgressLine result;
  if (Holds(line, kTimeLeftMarker)) {
    const std::string text = TextAfter(line, "Time left: ");
    const int64_t seconds = ParseTimeText(text);
    if (!BelievableSeconds(seconds)) return result;
    result.kind = ProgressLineKind::kTimeLeft;
    result.text = text;
    result.seconds = seconds;
  } else if (Holds(line, kSamplingLevelMarker)) {
    const std::string text = TextAfter(line, kSamplingLevelMarker);
    const std::optional<double> level = BelievableSamplingLevel(text);
    if (!level) return result;
    result.kind = ProgressLineKind::kSamplingLevel;
    result.text = text;
    result.sampling_level = *level;
    // An elapsed time it cannot read leaves the program's own clock to say
    // how long the render has run.
    const std::string elapsed_text = TextAfter(text, kElapsedMarker);
    if (Holds(text, kElapsedMarker) && StartsAsTimeText(elapsed_text)) {
      const int64_t elapsed = ParseTimeText(elapsed_text);
      if (BelievableSeconds(elapsed)) result.elapsed_seconds = elapsed;
    }
  }
  return result;
}

std::optional<int64_t> RenderFinishedSeconds(std::string_view line) {
  constexpr std::string_view kMarker = "Render finished in ";
  if (!Holds(line, kMarker)) return std::nullopt;
  const std::string text = TextAfter(line, std::string(kMarker));
  if (!StartsAsTimeText(text)) return std::nullopt;
  const int64_t seconds = ParseTimeText(text);
  if (!BelievableSeconds(seconds)) return std::nullopt;
  return seconds;
}

bool TargetReachedLine(std::string_view line) {
  return Holds(line, "Target sampling level reached") || Holds(line, "target SL reached");
}

bool TimeLimitReachedLine(std::string_view line) { return Holds(line, "Time limit reached"); }

std::optional<SamplingLevelLine> ReadSamplingLevelLine(std::string_view line) {
  if (!Holds(line, kSamplingLevelMarker)) return std::nullopt;
  const std::optional<double> level =
      BelievableSamplingLevel(TextAfter(line, kSamplingLevelMarker));
  if (!level) return std::nullopt;
  SamplingLevelLine result;
  result.sampling_level = static_cast<float>(*level);
  result.panel_text = TextAfter(line, ". ");
  return result;
}

ProgressLine RenderProgress::Take(std::string_view line, double seconds_since_start) {
  ProgressLine progress = ClassifyProgressLine(line);
  if (TargetReachedLine(line)) target_reached_ = true;
  if (std::optional<int64_t> finished = RenderFinishedSeconds(line)) finished_ = finished;
  if (progress.kind == ProgressLineKind::kSamplingLevel) {
    sl_text_ = progress.text;
    sampling_level_ = progress.sampling_level;
    elapsed_ = progress.elapsed_seconds;
  } else if (progress.kind == ProgressLineKind::kTimeLeft) {
    ++estimations_;
    TimeLeftReading reading;
    reading.time_left_text = progress.text;
    reading.time_left_seconds = progress.seconds;
    reading.rendered_seconds =
        elapsed_ ? *elapsed_ : std::llround(std::max(0.0, seconds_since_start));
    reading.sl_text = sl_text_;
    reading.sampling_level = sampling_level_;
    latest_ = reading;
  }
  return progress;
}

}  // namespace torva
