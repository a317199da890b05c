#include "prepare/project_log.h"

#include <cstdio>

#include "platform/system_name.h"
#include "text/numbers.h"

namespace torva {

void ProjectLog::Open(const std::string& path) {
  path_ = path;
  log_.Open(path);
}

void ProjectLog::Reopen() {
  if (log_.IsOpen() || path_.empty()) return;
  log_.Open(path_, LineLog::Start::kAtEnd);
}

void ProjectLog::Write(const std::string& line) { log_.Write(line); }

void ProjectLog::Close() { log_.Close(); }

std::string DateLine(const std::tm& local) {
  char text[64];
  std::snprintf(text, sizeof text, "Date: %04d-%02d-%02d - Hour: %02d:%02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
  return text;
}

std::vector<std::string> ProjectLogHeader(const LogHeader& header, const std::string& date_line) {
  return {
      std::string(SystemName()) + ", CPU: " + header.processor_brand + " - " +
          std::to_string(header.logical_processors) + " threads",
      header.farm_speed_ratio > 0 ? "The TORVA is " + FormatFixed(header.farm_speed_ratio, 1) +
                                        " times faster (+/- 10%) than this system."
                                  : "The benchmark has not been run on this system yet.",
      "Maxwell Render " + header.renderer_version,
      "TORVAmeter version: " + header.program_version,
      date_line,
      "TORVAmeter is gathering all files needed by " + header.scene_file_name + "...",
      "",
  };
}

}  // namespace torva
