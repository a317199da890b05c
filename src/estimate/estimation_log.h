// The estimation log: created anew, one line at a time, each line on disk as
// soon as it is written. A log that cannot be created drops its lines.
#pragma once

#include <cstdio>
#include <string>

namespace torva {

class EstimationLog {
 public:
  explicit EstimationLog(const std::string& path);
  ~EstimationLog();
  EstimationLog(const EstimationLog&) = delete;
  EstimationLog& operator=(const EstimationLog&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  void Write(const std::string& line);
  void Close();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace torva
