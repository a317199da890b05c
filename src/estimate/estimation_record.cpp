#include "estimate/estimation_record.h"

#include <algorithm>
#include <cstdio>

#include "text/json.h"
#include "text/numbers.h"
#include "text/whole_file.h"

namespace torva {

double Settling::Spread() const {
  return max_farm_seconds > 0 ? static_cast<double>(max_farm_seconds - min_farm_seconds) /
                                    static_cast<double>(max_farm_seconds)
                              : 0;
}

std::optional<Settling> SettlingOf(const std::vector<Prediction>& predictions, std::size_t last) {
  if (predictions.size() < 2 || last < 2) return std::nullopt;
  const std::size_t first = predictions.size() - std::min(last, predictions.size());
  Settling settling;
  settling.count = predictions.size() - first;
  settling.min_farm_seconds = settling.max_farm_seconds = predictions[first].farm_seconds;
  settling.rendered_from = predictions[first].rendered_seconds;
  for (std::size_t i = first; i < predictions.size(); ++i) {
    settling.min_farm_seconds = std::min(settling.min_farm_seconds, predictions[i].farm_seconds);
    settling.max_farm_seconds = std::max(settling.max_farm_seconds, predictions[i].farm_seconds);
    settling.rendered_to = predictions[i].rendered_seconds;
  }
  return settling;
}

JsonValue RecordJson(const EstimationRecord& r) {
  JsonValue predictions = JsonValue::Array();
  for (const Prediction& p : r.predictions) {
    predictions.items.push_back(JsonValue::Object()
                                    .Add("elapsed_seconds", p.elapsed_seconds)
                                    .Add("sl", p.sl)
                                    .Add("sl_text", p.sl_text)
                                    .Add("time_left", p.time_left_text)
                                    .Add("time_left_seconds", p.time_left_seconds)
                                    .Add("rendered_seconds", p.rendered_seconds)
                                    .Add("farm_time", p.farm_time_text)
                                    .Add("farm_seconds", p.farm_seconds));
  }
  JsonValue settling;
  if (const std::optional<Settling> s = SettlingOf(r.predictions)) {
    settling = JsonValue::Object()
                   .Add("last_predictions", s->count)
                   .Add("min_farm_seconds", s->min_farm_seconds)
                   .Add("max_farm_seconds", s->max_farm_seconds)
                   .Add("spread", s->Spread());
  }
  // Money as the log writes it: two decimals.
  const auto money = [](std::optional<double> amount) {
    return amount ? JsonValue::Numeral(FormatFixed(*amount, 2)) : JsonValue();
  };
  JsonValue json = JsonValue::Object();
  json.Add("archive", r.archive)
      .Add("scene", r.scene)
      .Add("mode", ModeName(r.mode))
      .Add("width", r.width)
      .Add("height", r.height)
      .Add("target_sl", r.target_sl)
      .Add("renderer_version", r.renderer_version)
      .Add("speed_ratio", r.speed_ratio)
      .Add("speed_ratio_low", r.speed_ratio_range.low)
      .Add("speed_ratio_high", r.speed_ratio_range.high)
      .Add("stopped_by_user", r.stopped_by_user)
      .Add("ended_by", r.ended_by)
      .Add("renderer_end", r.renderer_end)
      .Add("impossible_predictions", r.impossible_predictions)
      .Add("render_seconds", r.render_seconds)
      .Add("predictions", std::move(predictions))
      .Add("settling", std::move(settling))
      .Add("mxi_bytes", r.mxi_bytes)
      .Add("mxi_size_mb", r.mxi_size_mb)
      .Add("mxi_size_limit_mb", r.mxi_size_limit_mb)
      .Add("outcome", r.outcome)
      .Add("price_from", r.price_from.empty() ? JsonValue() : JsonValue(r.price_from))
      .Add("price_per_farm_hour_eur", money(r.price_per_farm_hour))
      .Add("settled", r.settled)
      .Add("farm_seconds_low", r.farm_seconds_low)
      .Add("farm_seconds_high", r.farm_seconds_high)
      .Add("cost_eur", money(r.cost))
      .Add("cost_low_eur", money(r.cost_low))
      .Add("cost_high_eur", money(r.cost_high));
  return json;
}

bool WriteRecord(const std::string& path, const EstimationRecord& record) {
  return WriteWholeFile(path, JsonBlock(RecordJson(record)));
}

TimeChart PredictionsChart(const EstimationRecord& record) {
  TimeChart chart;
  chart.title = "Farm time predicted for " + record.archive + " (" + ModeName(record.mode) +
                ", SL " + std::to_string(record.target_sl) + ")";
  chart.x_label = "Render time on this system";
  chart.y_label = "Predicted time on the TORVA";
  for (const Prediction& p : record.predictions)
    chart.points.push_back(
        {static_cast<double>(p.rendered_seconds), static_cast<double>(p.farm_seconds)});
  if (record.predictions.empty()) return chart;
  chart.latest_label = "Latest: " + record.predictions.back().farm_time_text + " on the TORVA";
  if (const std::optional<Settling> settling = SettlingOf(record.predictions)) {
    char spread[64];
    std::snprintf(spread, sizeof spread, "Last %zu predictions within %.1f %%", settling->count,
                  settling->Spread() * 100);
    chart.band = ChartBand{static_cast<double>(settling->rendered_from),
                           static_cast<double>(settling->rendered_to),
                           static_cast<double>(settling->min_farm_seconds),
                           static_cast<double>(settling->max_farm_seconds), spread};
  }
  return chart;
}

}  // namespace torva
