// The renderer's progress lines read during the benchmark and the estimation.
// Readings the renderer cannot have meant (a time over ten years or negative,
// a sampling level that is not a number or not below 1000) are left out, as
// if the line had been something else.
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
  int64_t seconds = 0;  // kTimeLeft: `text` in seconds
  // kSamplingLevel: the level, and the render time the line reports after
  // "Elapsed " when it can be read.
  double sampling_level = 0;
  std::optional<int64_t> elapsed_seconds;
};

// PHASE 1 of the benchmark and the estimation run: a line holding
// "Time left:" is a time line even when it also holds "SL of ".
ProgressLine ClassifyProgressLine(std::string_view line);

struct SamplingLevelLine {
  float sampling_level = 0;  // the number after "SL of "
  std::string panel_text;    // the text after ". ", shown in the LogPanel
};

// "Render finished in " + a time text: the render time the renderer reports
// at its end, when it can be read.
std::optional<int64_t> RenderFinishedSeconds(std::string_view line);
// A line saying the render reached its target sampling level, or its time
// limit.
bool TargetReachedLine(std::string_view line);
bool TimeLimitReachedLine(std::string_view line);

// PHASE 2 of the benchmark: lines holding "SL of ", nullopt for others.
std::optional<SamplingLevelLine> ReadSamplingLevelLine(std::string_view line);

// A prediction of the time left, with the time already rendered when it came.
struct TimeLeftReading {
  std::string time_left_text;
  int64_t time_left_seconds = 0;
  int64_t rendered_seconds = 0;
  std::string sl_text;                   // the latest sampling level text before it
  std::optional<double> sampling_level;  // its level
  // What the renderer predicts for the whole render.
  int64_t WholeSeconds() const { return rendered_seconds + time_left_seconds; }
};

// Follows one render's progress lines. The time left shrinks as the render
// goes on, so a figure to compare with a whole render time on the farm is the
// time rendered plus the time left: the renderer's own elapsed time where its
// latest SL line reports one it can read, else the program's clock since the
// render started.
class RenderProgress {
 public:
  // Classifies `line`; a time line also yields its reading.
  ProgressLine Take(std::string_view line, double seconds_since_start);
  const std::optional<TimeLeftReading>& latest() const { return latest_; }
  const std::string& sl_text() const { return sl_text_; }
  int estimations() const { return estimations_; }
  // The render time the latest SL line reported, when it could be read.
  const std::optional<int64_t>& elapsed() const { return elapsed_; }
  const std::optional<double>& sampling_level() const { return sampling_level_; }
  // What the renderer said at its end: its whole render time, and whether
  // the target sampling level was reached.
  const std::optional<int64_t>& finished_seconds() const { return finished_; }
  bool target_reached() const { return target_reached_; }

 private:
  std::optional<int64_t> finished_;
  bool target_reached_ = false;
  std::string sl_text_;
  std::optional<double> sampling_level_;
  std::optional<int64_t> elapsed_;
  std::optional<TimeLeftReading> latest_;
  int estimations_ = 0;
};

}  // namespace torva
