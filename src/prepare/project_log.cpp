#include "prepare/project_log.h"

#include "text/numbers.h"

namespace torva {

void ProjectLog::Open(const std::string& path) {
  Close();
  path_ = path;
  file_ = std::fopen(path.c_str(), "wb");
}

void ProjectLog::Reopen() {
  if (file_ || path_.empty()) return;
  file_ = std::fopen(path_.c_str(), "ab");
}

void ProjectLog::Write(const std::string& line) {
  if (!file_) return;
  std::fputs(line.c_str(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

void ProjectLog::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

std::string DateLine(const std::tm& local) {
  char text[64];
  std::snprintf(text, sizeof text, "Date: %04d-%02d-%02d - Hour: %02d:%02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec);
  return text;
}

std::vector<std::string> ProjectLogHeader(const LogHeader& header,
                                          const std::string& date_line) {
  return {
      "Mac, CPU: " + header.processor_brand + " - " +
          std::to_string(header.logical_processors) + " threads",
      header.farm_speed_ratio > 0
          ? "The TORVA is " + FormatFixed(header.farm_speed_ratio, 1) +
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
