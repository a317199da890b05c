#include "estimate/estimation_record.h"

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
        << ", \"farm_time\": " << Quoted(p.farm_time_text)
        << ", \"farm_seconds\": " << p.farm_seconds << "}";
  }
  out << (r.predictions.empty() ? "],\n" : "\n  ],\n")
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
