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

JsonValue RecordJson(const BenchmarkRecord& r) {
  JsonValue estimates = JsonValue::Array();
  for (const Phase1Reading& e : r.estimates) {
    estimates.items.push_back(JsonValue::Object()
                                  .Add("elapsed_seconds", e.elapsed_seconds)
                                  .Add("estimate_seconds", e.seconds)
                                  .Add("time_left", e.time_text)
                                  .Add("sl", e.sl)
                                  .Add("sl_text", e.sl_text)
                                  .Add("rendered_seconds", e.rendered_seconds)
                                  .Add("whole_render_seconds", e.WholeSeconds()));
  }
  JsonValue levels = JsonValue::Array();
  for (const SamplingLevelReading& s : r.sampling_levels) {
    levels.items.push_back(
        JsonValue::Object().Add("elapsed_seconds", s.elapsed_seconds).Add("sl", s.sampling_level));
  }
  JsonValue json = JsonValue::Object();
  json.Add("benchmark", ModeName(r.bench_mode))
      .Add("processor", r.processor_brand)
      .Add("logical_processors", r.logical_processors)
      .Add("renderer_version", r.renderer_version)
      .Add("scene", r.scene)
      .Add("farm_seconds_to_sl20", r.farm_seconds)
      .Add("farm_sl_after_1_minute", r.farm_sl)
      .Add("phase1_estimates", std::move(estimates))
      .Add("phase1_ended_by", r.phase1_ended_by)
      .Add("phase1_renderer_end", r.phase1_renderer_end)
      .Add("impossible_estimates", r.impossible_estimates);
  if (r.mean_seconds) {
    json.Add("ratio_from", r.settled ? "settled estimates" : "latest estimates (not settled)")
        .Add("ratio_from_estimate", r.ratio_from + 1);
  }
  json.Add("settled", r.settled)
      .Add("spread", r.spread)
      .Add("trend", r.trend)
      .Add("mean_seconds", r.mean_seconds)
      .Add("speed_ratio", r.speed_ratio)
      .Add("speed_ratio_low", r.speed_ratio_range.low)
      .Add("speed_ratio_high", r.speed_ratio_range.high)
      .Add("phase2_sl_readings", std::move(levels))
      .Add("phase2_renderer_end", r.phase2_renderer_end)
      .Add("delta_sl", r.delta_sl);
  if (r.measured_delta_sl) json.Add("measured_delta_sl", *r.measured_delta_sl);
  json.Add("outcome", r.outcome);
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
  return WriteWholeFile(path, JsonBlock(RecordJson(record)));
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
