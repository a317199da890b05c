// A log written one line at a time: each line is on disk as soon as it is
// written, its bytes exactly as given (a NUL byte included), ended by a line
// feed. A new log is never opened through a link left at its name. A log that
// could not be opened drops its lines.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace torva {

class LineLog {
 public:
  enum class Start { kAnew, kAtEnd };

  LineLog() = default;
  LineLog(const LineLog&) = delete;
  LineLog& operator=(const LineLog&) = delete;
  ~LineLog() { Close(); }

  // kAnew replaces whatever stood at `path`; kAtEnd adds to an existing log.
  bool Open(const std::string& path, Start start = Start::kAnew);
  bool IsOpen() const { return file_ != nullptr; }
  void Write(std::string_view line);
  // Every line written so far reached the disk (fsync) and the file closed
  // cleanly. False for a log that was not open.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace torva
