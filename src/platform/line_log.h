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
  // The errno of the open or the first write that failed (a full disk), 0
  // while all went well.
  int error() const { return error_; }
  // Every line written so far reached the disk (fsync) and the file closed
  // cleanly. False for a log that was not open.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  int error_ = 0;
};

// A log written line by line into a new file beside its path, each line on
// disk as soon as it is written; only Commit puts it in place of the file at
// the path (a link there is replaced, not followed). A run that fails or is
// killed leaves the earlier file as it was, byte for byte.
class ReplacingLog {
 public:
  ReplacingLog() = default;
  ReplacingLog(const ReplacingLog&) = delete;
  ReplacingLog& operator=(const ReplacingLog&) = delete;
  ~ReplacingLog() { Discard(); }

  // Starts the new file beside `path`. False when it cannot be created.
  bool Create(const std::string& path);
  // Ignored when the file could not be created.
  void Write(std::string_view line) { log_.Write(line); }
  // Every line so far went to the new file.
  bool Writing() const { return log_.IsOpen() && log_.error() == 0; }
  int error() const { return log_.error(); }
  // Replaces the file at `path` by the new one. False when that failed (and
  // then the earlier file is still there).
  bool Commit();
  // The same, to another path beside it (the earlier file at the path stays).
  bool CommitAs(const std::string& path);
  // Drops the new file; the earlier one stays.
  void Discard();

 private:
  LineLog log_;
  std::string path_, temporary_;
};

}  // namespace torva
