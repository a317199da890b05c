#include "estimate/estimation_log.h"

namespace torva {

EstimationLog::EstimationLog(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

EstimationLog::~EstimationLog() { Close(); }

void EstimationLog::Write(const std::string& line) {
  if (!file_) return;
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

void EstimationLog::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace torva
