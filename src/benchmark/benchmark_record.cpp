#include "benchmark/benchmark_record.h"

#include <algorithm>

#include "text/json.h"
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
  json += "  \"ratio_from\": " +
          JsonText(r.settled_from ? "settled estimates" : "all estimates (not settled)") + ",\n";
  json += "  \"settled_from_estimate\": " +
          (r.settled_from ? std::to_string(*r.settled_from + 1) : std::string("null")) + ",\n";
  json += "  \"spread\": " + JsonNumber(r.spread) + ",\n";
  json += "  \"mean_seconds\": " + JsonOptional(r.mean_seconds) + ",\n";
  json += "  \"speed_ratio\": " + JsonOptional(r.speed_ratio) + ",\n";
  json += "  \"phase2_sl_readings\": [";
  for (std::size_t i = 0; i < r.sampling_levels.size(); ++i) {
    const SamplingLevelReading& s = r.sampling_levels[i];
    json += std::string(i ? "," : "") +
            "\n    {\"elapsed_seconds\": " + JsonNumber(s.elapsed_seconds) +
            ", \"sl\": " + JsonNumber(s.sampling_level) + "}";
  }
  json += r.sampling_levels.empty() ? "],\n" : "\n  ],\n";
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
  if (record.settled_from && *record.settled_from < record.estimates.size()) {
    ChartBand band{record.estimates[*record.settled_from].elapsed_seconds,
                   record.estimates.back().elapsed_seconds, 0, 0, "settled"};
    band.y_min = band.y_max = static_cast<double>(record.estimates.back().WholeSeconds());
    for (std::size_t i = *record.settled_from; i < record.estimates.size(); ++i) {
      const double whole = static_cast<double>(record.estimates[i].WholeSeconds());
      band.y_min = std::min(band.y_min, whole);
      band.y_max = std::max(band.y_max, whole);
    }
    chart.band = band;
  }
  return chart;
}

}  // namespace torva
