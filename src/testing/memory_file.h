// For tests: a stream whose text is kept in memory.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace torva {

class MemoryFile {
 public:
  MemoryFile() : file_(open_memstream(&buffer_, &size_)) {}
  ~MemoryFile() {
    std::fclose(file_);
    std::free(buffer_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  std::FILE* file() { return file_; }
  // All that was written so far.
  std::string text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

}  // namespace torva
