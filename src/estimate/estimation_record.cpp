#include "estimate/estimation_record.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

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

std::string RecordJson(const EstimationRecord& r) {
  std::ostringstream out;
  out << "{\n"
      << "  \"archive\": " << JsonText(r.archive) << ",\n"
      << "  \"scene\": " << JsonText(r.scene) << ",\n"
      << "  \"mode\": " << JsonText(ModeName(r.mode)) << ",\n"
      << "  \"width\": " << r.width << ",\n"
      << "  \"height\": " << r.height << ",\n"
      << "  \"target_sl\": " << r.target_sl << ",\n"
      << "  \"renderer_version\": " << JsonText(r.renderer_version) << ",\n"
      << "  \"speed_ratio\": " << JsonNumber(r.speed_ratio) << ",\n"
      << "  \"speed_ratio_low\": " << JsonOptional(r.speed_ratio_range.low) << ",\n"
      << "  \"speed_ratio_high\": " << JsonOptional(r.speed_ratio_range.high) << ",\n"
      << "  \"stopped_by_user\": " << (r.stopped_by_user ? "true" : "false") << ",\n"
      << "  \"ended_by\": " << JsonText(r.ended_by) << ",\n"
      << "  \"renderer_end\": " << JsonText(r.renderer_end) << ",\n"
      << "  \"impossible_predictions\": " << r.impossible_predictions << ",\n"
      << "  \"render_seconds\": " << JsonNumber(r.render_seconds) << ",\n"
      << "  \"predictions\": [";
  for (std::size_t i = 0; i < r.predictions.size(); ++i) {
    const Prediction& p = r.predictions[i];
    out << (i ? ",\n" : "\n") << "    {\"elapsed_seconds\": " << JsonNumber(p.elapsed_seconds)
        << ", \"sl\": " << JsonOptional(p.sl) << ", \"sl_text\": " << JsonText(p.sl_text)
        << ", \"time_left\": " << JsonText(p.time_left_text)
        << ", \"time_left_seconds\": " << p.time_left_seconds
        << ", \"rendered_seconds\": " << p.rendered_seconds
        << ", \"farm_time\": " << JsonText(p.farm_time_text)
        << ", \"farm_seconds\": " << p.farm_seconds << "}";
  }
  out << (r.predictions.empty() ? "],\n" : "\n  ],\n");
  out << "  \"settling\": ";
  if (const std::optional<Settling> settling = SettlingOf(r.predictions)) {
    out << "{\"last_predictions\": " << settling->count
        << ", \"min_farm_seconds\": " << settling->min_farm_seconds
        << ", \"max_farm_seconds\": " << settling->max_farm_seconds
        << ", \"spread\": " << JsonNumber(settling->Spread()) << "},\n";
  } else {
    out << "null,\n";
  }
  out << "  \"mxi_bytes\": " << r.mxi_bytes << ",\n"
      << "  \"mxi_size_mb\": " << r.mxi_size_mb << ",\n"
      << "  \"mxi_size_limit_mb\": " << r.mxi_size_limit_mb << ",\n"
      << "  \"outcome\": " << JsonText(r.outcome) << ",\n"
      << "  \"price_from\": " << (r.price_from.empty() ? "null" : JsonText(r.price_from))
      << ",\n"
      // Money as the log writes it: two decimals.
      << "  \"price_per_farm_hour_eur\": " << FormatFixed(r.price_per_farm_hour, 2) << ",\n"
      << "  \"settled\": " << (r.settled ? "true" : "false") << ",\n"
      << "  \"farm_seconds_low\": " << JsonOptional(r.farm_seconds_low) << ",\n"
      << "  \"farm_seconds_high\": " << JsonOptional(r.farm_seconds_high) << ",\n"
      << "  \"cost_eur\": " << (r.cost ? FormatFixed(*r.cost, 2) : "null") << ",\n"
      << "  \"cost_low_eur\": " << (r.cost_low ? FormatFixed(*r.cost_low, 2) : "null") << ",\n"
      << "  \"cost_high_eur\": " << (r.cost_high ? FormatFixed(*r.cost_high, 2) : "null") << "\n"
      << "}\n";
  return out.str();
}

bool WriteRecord(const std::string& path, const EstimationRecord& record) {
  return WriteWholeFile(path, RecordJson(record));
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
