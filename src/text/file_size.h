#pragma once

#include <string>

namespace torva {

// The file's size in MB (bytes / 1024 / 1024 in single precision) with two
// decimals and " MB", e.g. "1.50 MB". A missing file, or anything else that is
// not a regular file, counts as -1 bytes and shows as "-0.00 MB".
std::string FileSizeMB(const std::string& path);

}  // namespace torva
