// Files read or written in one piece.
#pragma once

#include <optional>
#include <string>

namespace torva {

// The whole content; nullopt when the file cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes `content` to a new file beside `path` (never through a link left at
// that name) and renames it over `path` once every byte is on disk, so that
// an earlier file is replaced only by a complete one. False on failure, and
// then nothing has changed.
bool WriteWholeFile(const std::string& path, const std::string& content);

}  // namespace torva
