#include "benchmark/benchmark_record.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace torva {
namespace {

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// The shortest text that reads back as the same value; JSON has no NaN.
template <typename T>
std::string JsonNumber(T value) {
  if (!std::isfinite(value)) return "null";
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : "null";
}

template <typename T>
std::string JsonOptional(const std::optional<T>& value) {
  return value ? JsonNumber(*value) : "null";
}

std::string Replace(const std::string& log_path, const std::string& extension) {
  std::string path = log_path;
  if (path.ends_with(".log")) path.resize(path.size() - 4);
  return path + extension;
}

}  // namespace

std::string RecordJson(const BenchmarkRecord& r) {
  std::string json = "{\n";
  json += "  \"benchmark\": " + JsonText(r.bench_mode == 2 ? "GPU" : "CPU") + ",\n";
  json += "  \"processor\": " + JsonText(r.processor_brand) + ",\n";
  json += "  \"logical_processors\": " + std::to_string(r.logical_processors) + ",\n";
  json += "  \"renderer_version\": " + JsonText(r.renderer_version) + ",\n";
  json += "  \"scene\": " + JsonText(r.scene) + ",\n";
  json += "  \"farm_seconds_to_sl20\": " + std::to_string(r.farm_seconds) + ",\n";
  json += "  \"farm_sl_after_1_minute\": " + JsonNumber(r.farm_sl) + ",\n";
  json += "  \"phase1_estimates\": [";
  for (std::size_t i = 0; i < r.estimates.size(); ++i) {
    const EstimateReading& e = r.estimates[i];
    json += std::string(i ? "," : "") + "\n    {\"elapsed_seconds\": " +
            JsonNumber(e.elapsed_seconds) + ", \"estimate_seconds\": " +
            std::to_string(e.seconds) + ", \"time_left\": " + JsonText(e.time_text) +
            ", \"sl\": " + JsonText(e.sl_text) + ", \"rendered_seconds\": " +
            std::to_string(e.rendered_seconds) + ", \"whole_render_seconds\": " +
            std::to_string(e.WholeSeconds()) + "}";
  }
  json += r.estimates.empty() ? "],\n" : "\n  ],\n";
  json += "  \"mean_seconds\": " + JsonOptional(r.mean_seconds) + ",\n";
  json += "  \"speed_ratio\": " + JsonOptional(r.speed_ratio) + ",\n";
  json += "  \"phase2_sl_readings\": [";
  for (std::size_t i = 0; i < r.sampling_levels.size(); ++i) {
    const SamplingLevelReading& s = r.sampling_levels[i];
    json += std::string(i ? "," : "") + "\n    {\"elapsed_seconds\": " +
            JsonNumber(s.elapsed_seconds) + ", \"sl\": " + JsonNumber(s.sampling_level) + "}";
  }
  json += r.sampling_levels.empty() ? "],\n" : "\n  ],\n";
  json += "  \"delta_sl\": " + JsonOptional(r.delta_sl) + ",\n";
  json += "  \"outcome\": " + JsonText(r.outcome) + "\n}\n";
  return json;
}

std::string RecordPathFor(const std::string& log_path) { return Replace(log_path, ".json"); }
std::string PlotPathFor(const std::string& log_path) { return Replace(log_path, ".png"); }

bool WriteRecord(const std::string& path, const BenchmarkRecord& record) {
  const std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const std::string json = RecordJson(record);
  const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(temporary.c_str());
    return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace torva
