#include "estimate/estimation_record.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace torva {

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Enough digits to give back the very same double.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

double Settling::Spread() const {
  return max_farm_seconds > 0
             ? static_cast<double>(max_farm_seconds - min_farm_seconds) / max_farm_seconds
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
      << "  \"archive\": " << Quoted(r.archive) << ",\n"
      << "  \"scene\": " << Quoted(r.scene) << ",\n"
      << "  \"mode\": " << Quoted(ModeName(r.mode)) << ",\n"
      << "  \"width\": " << r.width << ",\n"
      << "  \"height\": " << r.height << ",\n"
      << "  \"target_sl\": " << r.target_sl << ",\n"
      << "  \"renderer_version\": " << Quoted(r.renderer_version) << ",\n"
      << "  \"speed_ratio\": " << Number(r.speed_ratio) << ",\n"
      << "  \"stopped_by_user\": " << (r.stopped_by_user ? "true" : "false") << ",\n"
      << "  \"render_seconds\": " << Number(r.render_seconds) << ",\n"
      << "  \"predictions\": [";
  for (std::size_t i = 0; i < r.predictions.size(); ++i) {
    const Prediction& p = r.predictions[i];
    out << (i ? ",\n" : "\n") << "    {\"elapsed_seconds\": " << Number(p.elapsed_seconds)
        << ", \"sl\": " << Quoted(p.sl_text) << ", \"time_left\": " << Quoted(p.time_left_text)
        << ", \"time_left_seconds\": " << p.time_left_seconds
        << ", \"rendered_seconds\": " << p.rendered_seconds
        << ", \"farm_time\": " << Quoted(p.farm_time_text)
        << ", \"farm_seconds\": " << p.farm_seconds << "}";
  }
  out << (r.predictions.empty() ? "],\n" : "\n  ],\n");
  out << "  \"settling\": ";
  if (const std::optional<Settling> settling = SettlingOf(r.predictions)) {
    out << "{\"last_predictions\": " << settling->count
        << ", \"min_farm_seconds\": " << settling->min_farm_seconds
        << ", \"max_farm_seconds\": " << settling->max_farm_seconds
        << ", \"spread\": " << Number(settling->Spread()) << "},\n";
  } else {
    out << "null,\n";
  }
  out
      << "  \"mxi_bytes\": " << r.mxi_bytes << ",\n"
      << "  \"mxi_size_mb\": " << r.mxi_size_mb << ",\n"
      << "  \"mxi_size_limit_mb\": " << r.mxi_size_limit_mb << ",\n"
      << "  \"outcome\": " << Quoted(r.outcome) << ",\n"
      << "  \"price_per_farm_hour_eur\": " << Number(r.price_per_farm_hour) << ",\n"
      << "  \"cost_eur\": " << (r.cost ? Number(*r.cost) : "null") << "\n"
      << "}\n";
  return out.str();
}

bool WriteRecord(const EstimationRecord& record, const std::string& path) {
  const std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const std::string text = RecordJson(record);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace torva
