#include "benchmark/benchmark_log.h"

#include <unistd.h>

#include <cstdio>

#include <filesystem>
#include <fstream>

#include "benchmark/farm_figures.h"
#include "platform/system_name.h"
#include "text/numbers.h"
#include "text/text.h"

namespace torva {

std::string MachineLine(const std::string& processor_brand, int logical_processors) {
  return std::string(SystemName()) + ", CPU: " + processor_brand + " - " +
         std::to_string(logical_processors) + " threads";
}

std::string RendererLine(const std::string& renderer_version) {
  return "Maxwell Render " + renderer_version;
}

std::string RatioLine(float ratio, RenderMode bench_mode) {
  return "The TORVA is " + FormatFixed(ratio, 1) +
         " times faster (+/- 10%) than this system (with " + FarmPoolText(bench_mode) + ").";
}

std::string DeltaSLLine(float delta_sl) { return "DeltaSL = " + FormatFixed(delta_sl, 2); }

std::string EquivalentSLLine(float delta_sl) {
  return "(SL=10 on this system <=> SL=" + FormatFixed(delta_sl + 10.0f, 2) +
         " (+/- 0.2) on the TORVA.";
}

bool BenchmarkLogPresent(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  return std::filesystem::file_size(path, error) > 0 && !error;
}

std::optional<BenchmarkResults> ReadBenchmarkLog(const std::string& path) {
  if (!BenchmarkLogPresent(path)) return std::nullopt;
  std::ifstream log(path, std::ios::binary);
  if (!log) return std::nullopt;
  std::string machine, renderer, ratio, delta;
  std::getline(log, machine);
  std::getline(log, renderer);
  std::getline(log, ratio);
  std::getline(log, delta);
  BenchmarkResults results;
  results.speed_ratio =
      static_cast<float>(ReadDecimal(TextBefore(TextAfter(ratio, "is "), " times")));
  results.delta_sl = static_cast<float>(ReadDecimal(TextAfter(delta, "= ")));
  return results;
}

std::optional<std::string> LoggedRendererVersion(const std::string& path) {
  std::ifstream log(path, std::ios::binary);
  if (!log) return std::nullopt;
  std::string machine, renderer;
  std::getline(log, machine);
  std::getline(log, renderer);
  return TextAfter(renderer, "Maxwell Render ");
}

std::string RatioRangeText(const RatioRange& range) {
  if (range.low && range.high)
    return "between " + FormatFixed(*range.low, 1) + " and " + FormatFixed(*range.high, 1);
  if (range.low) return "above " + FormatFixed(*range.low, 1);
  if (range.high) return "below " + FormatFixed(*range.high, 1);
  return "unknown";
}

std::string NotSettledLine(const RatioRange& range) {
  const std::string start = "PHASE 1 ended before its estimates had settled: the speed ratio ";
  if (!range.low && !range.high) return start + "may be far off.";
  return start + "is likely " + RatioRangeText(range) + ".";
}

}  // namespace torva
