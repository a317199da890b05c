#include "benchmark/benchmark_record.h"

#include <algorithm>

#include "text/json.h"
#include "text/numbers.h"
#include "text/whole_file.h"

namespace torva {
namespace {

std::string Replace(const std::string& log_path, const std::string& extension) {
  std::string path = log_path;
  if (path.ends_with(".log")) path.resize(path.size() - 4);
  return path + extension;
}

}  // namespace

std::string RecordJson(const BenchmarkRecord& r) {
  std::string json = "{\n";
  json += "  \"benchmark\": " + JsonText(ModeName(r.bench_mode)) + ",\n";
  json += "  \"processor\": " + JsonText(r.processor_brand) + ",\n";
  json += "  \"logical_processors\": " + std::to_string(r.logical_processors) + ",\n";
  json += "  \"renderer_version\": " + JsonText(r.renderer_version) + ",\n";
  json += "  \"scene\": " + JsonText(r.scene) + ",\n";
  json += "  \"farm_seconds_to_sl20\": " + std::to_string(r.farm_seconds) + ",\n";
  json += "  \"farm_sl_after_1_minute\": " + JsonNumber(r.farm_sl) + ",\n";
  json += "  \"phase1_estimates\": [";
  for (std::size_t i = 0; i < r.estimates.size(); ++i) {
    const Phase1Reading& e = r.estimates[i];
    json += std::string(i ? "," : "") +
            "\n    {\"elapsed_seconds\": " + JsonNumber(e.elapsed_seconds) +
            ", \"estimate_seconds\": " + std::to_string(e.seconds) +
            ", \"time_left\": " + JsonText(e.time_text) + ", \"sl\": " + JsonOptional(e.sl) +
            ", \"sl_text\": " + JsonText(e.sl_text) +
            ", \"rendered_seconds\": " + std::to_string(e.rendered_seconds) +
            ", \"whole_render_seconds\": " + std::to_string(e.WholeSeconds()) + "}";
  }
  json += r.estimates.empty() ? "],\n" : "\n  ],\n";
  json += "  \"phase1_ended_by\": " + JsonText(r.phase1_ended_by) + ",\n";
  json += "  \"phase1_renderer_end\": " + JsonText(r.phase1_renderer_end) + ",\n";
  json += "  \"impossible_estimates\": " + std::to_string(r.impossible_estimates) + ",\n";
  if (r.mean_seconds) {
    json += "  \"ratio_from\": " +
            JsonText(r.settled ? "settled estimates" : "latest estimates (not settled)") + ",\n";
    json += "  \"ratio_from_estimate\": " + std::to_string(r.ratio_from + 1) + ",\n";
  }
  json += "  \"settled\": " + std::string(r.settled ? "true" : "false") + ",\n";
  json += "  \"spread\": " + JsonNumber(r.spread) + ",\n";
  json += "  \"trend\": " + JsonNumber(r.trend) + ",\n";
  json += "  \"mean_seconds\": " + JsonOptional(r.mean_seconds) + ",\n";
  json += "  \"speed_ratio\": " + JsonOptional(r.speed_ratio) + ",\n";
  json += "  \"speed_ratio_low\": " + JsonOptional(r.speed_ratio_range.low) + ",\n";
  json += "  \"speed_ratio_high\": " + JsonOptional(r.speed_ratio_range.high) + ",\n";
  json += "  \"phase2_sl_readings\": [";
  for (std::size_t i = 0; i < r.sampling_levels.size(); ++i) {
    const SamplingLevelReading& s = r.sampling_levels[i];
    json += std::string(i ? "," : "") +
            "\n    {\"elapsed_seconds\": " + JsonNumber(s.elapsed_seconds) +
            ", \"sl\": " + JsonNumber(s.sampling_level) + "}";
  }
  json += r.sampling_levels.empty() ? "],\n" : "\n  ],\n";
  json += "  \"phase2_renderer_end\": " + JsonText(r.phase2_renderer_end) + ",\n";
  json += "  \"delta_sl\": " + JsonOptional(r.delta_sl) + ",\n";
  if (r.measured_delta_sl)
    json += "  \"measured_delta_sl\": " + JsonNumber(*r.measured_delta_sl) + ",\n";
  json += "  \"outcome\": " + JsonText(r.outcome) + "\n}\n";
  return json;
}

std::string RecordPathFor(const std::string& log_path, bool finished) {
  return Replace(log_path, finished ? ".json" : ".unfinished.json");
}
std::string PlotPathFor(const std::string& log_path, bool finished) {
  return Replace(log_path, finished ? ".png" : ".unfinished.png");
}

namespace {

std::optional<float> OptionalNumber(const JsonValue* value) {
  if (!value || value->type != JsonValue::Type::kNumber) return std::nullopt;
  return static_cast<float>(value->Number());
}

}  // namespace

BenchmarkResults ResultsWithRecord(const std::string& log_path, const BenchmarkResults& logged,
                                   const std::string& renderer_version) {
  BenchmarkResults claimed = logged;
  claimed.range = {logged.speed_ratio * 0.9f, logged.speed_ratio * 1.1f};
  const BoundedFile file = ReadBoundedFile(RecordPathFor(log_path));
  if (file.status != BoundedFile::Status::kRead) return claimed;
  const std::optional<JsonValue> record = ParseJson(file.content);
  if (!record) return claimed;
  const JsonValue* outcome = record->Find("outcome");
  const JsonValue* version = record->Find("renderer_version");
  const std::optional<float> ratio = OptionalNumber(record->Find("speed_ratio"));
  const std::optional<float> delta = OptionalNumber(record->Find("delta_sl"));
  // Whatever run the record comes from, figures that the log shows as they
  // are cannot contradict it.
  if (!outcome || outcome->text != "finished" || !version || version->text != renderer_version ||
      !ratio || !delta || FormatFixed(*ratio, 1) != FormatFixed(logged.speed_ratio, 1) ||
      FormatFixed(*delta, 2) != FormatFixed(logged.delta_sl, 2))
    return claimed;
  return {*ratio,
          *delta,
          {OptionalNumber(record->Find("speed_ratio_low")),
           OptionalNumber(record->Find("speed_ratio_high"))}};
}

bool WriteRecord(const std::string& path, const BenchmarkRecord& record) {
  return WriteWholeFile(path, RecordJson(record));
}

TimeChart EstimatesChart(const BenchmarkRecord& record) {
  TimeChart chart;
  chart.width = kPlotWidth;
  chart.height = kPlotHeight;
  chart.title = "Predicted render time to SL=20 on this system";
  chart.x_label = "Time since PHASE 1 began";
  chart.y_label = "Whole render";
  for (const Phase1Reading& e : record.estimates)
    chart.points.push_back({e.elapsed_seconds, static_cast<double>(e.WholeSeconds())});
  if (record.mean_seconds) {
    chart.mean_y = static_cast<double>(*record.mean_seconds);
    chart.mean_label = "mean " + AxisTimeLabel(*chart.mean_y);
  }
  if (record.speed_ratio && record.ratio_from < record.estimates.size()) {
    ChartBand band{record.estimates[record.ratio_from].elapsed_seconds,
                   record.estimates.back().elapsed_seconds, 0, 0,
                   record.settled ? "settled" : "not settled"};
    band.y_min = band.y_max = static_cast<double>(record.estimates.back().WholeSeconds());
    for (std::size_t i = record.ratio_from; i < record.estimates.size(); ++i) {
      const double whole = static_cast<double>(record.estimates[i].WholeSeconds());
      band.y_min = std::min(band.y_min, whole);
      band.y_max = std::max(band.y_max, whole);
    }
    chart.band = band;
  }
  return chart;
}

}  // namespace torva
