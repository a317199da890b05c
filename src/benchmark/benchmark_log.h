// The five-line benchmark log: its lines, the writer that keeps the file open
// for the whole run, and the reader of its results.
#pragma once

#include <optional>
#include <string>

#include "platform/line_log.h"

#include "renderer/render_mode.h"
#include "state/program.h"

namespace torva {

// Line 1: the system's name ("Linux", "Mac") + ", CPU: " + brand + " - " + threads + " threads".
std::string MachineLine(const std::string& processor_brand, int logical_processors);
// Line 2.
std::string RendererLine(const std::string& renderer_version);
// Line 3: the speed ratio with one decimal and the farm pool of `bench_mode`.
std::string RatioLine(float ratio, RenderMode bench_mode);
// Line 4: "DeltaSL = " + the SL difference with two decimals.
std::string DeltaSLLine(float delta_sl);
// Line 5: what SL 10 here is on the farm.
std::string EquivalentSLLine(float delta_sl);

// A line after the five of a run whose PHASE 1 ended before its estimates
// had settled, with where the ratio likely lies.
std::string NotSettledLine(const RatioRange& range);
// "between 7.5 and 8.6", "above 7.5", "below 8.6" or "unknown".
std::string RatioRangeText(const RatioRange& range);

// The log exists and is not empty.
bool BenchmarkLogPresent(const std::string& path);

// The ratio of line 3 and the SL difference of line 4. nullopt when the log is
// missing or empty; missing lines or markers give 0 for their value.
std::optional<BenchmarkResults> ReadBenchmarkLog(const std::string& path);

// The renderer version on line 2; nullopt when the log cannot be opened.
std::optional<std::string> LoggedRendererVersion(const std::string& path);

}  // namespace torva
