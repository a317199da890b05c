// Files read or written in one piece.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace torva {

// The whole content; nullopt when the file cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Opens for reading a file that another program or an archive made: never
// through a link at its name, never waiting (a FIFO is refused, not waited
// on), and only a regular file. The descriptor, or -1; `bytes` (when given)
// gets the file's size.
int OpenRegularFile(const std::string& path, long long* bytes = nullptr);

// The most a text file made by another program or an archive is read into
// memory: far beyond any camera list or log.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{4} << 20;

struct BoundedFile {
  enum class Status { kRead, kUnreadable, kTooLarge };
  Status status = Status::kUnreadable;
  std::string content;  // when read
};
// The whole content of a regular file opened as OpenRegularFile does, when
// it holds at most `max_bytes`; more is never read.
BoundedFile ReadBoundedFile(const std::string& path, std::size_t max_bytes = kMaxTextFileBytes);

// Writes `content` to a new file beside `path` (never through a link left at
// that name) and renames it over `path` once every byte is on disk, so that
// an earlier file is replaced only by a complete one. False on failure, and
// then nothing has changed.
bool WriteWholeFile(const std::string& path, const std::string& content);

}  // namespace torva
