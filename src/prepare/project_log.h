// The project log "TORVAmeter_Maxwell.log": started by the gathering, added
// to by the camera choice and the packing, then packed with the project.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "platform/line_log.h"

namespace torva {

class ProjectLog {
 public:
  ProjectLog() = default;
  ProjectLog(const ProjectLog&) = delete;
  ProjectLog& operator=(const ProjectLog&) = delete;
  ~ProjectLog() { Close(); }

  // Creates the file anew. When it cannot be created, lines are dropped.
  void Open(const std::string& path);
  // Opens the closed log again, to add lines at its end.
  void Reopen();
  // Writes the line and its line feed at once, so a crash loses nothing.
  void Write(const std::string& line);
  void Close();

 private:
  LineLog log_;
  std::string path_;
};

struct LogHeader {
  std::string processor_brand;
  int logical_processors = 0;
  float farm_speed_ratio = 0;
  std::string renderer_version;
  std::string program_version;
  std::string scene_file_name;
};

// "Date: 2026-12-07 - Hour: 09:05:03" for a local time.
std::string DateLine(const std::tm& local);

// The first seven lines of the project log (the last one empty).
std::vector<std::string> ProjectLogHeader(const LogHeader& header, const std::string& date_line);

}  // namespace torva
