// For tests: whole-file reads and writes.
#pragma once

#include <string>

namespace torva {

// The file's bytes; "" when it cannot be read.
std::string ReadFile(const std::string& path);
// Creates the missing parent folders, then writes `text` as the whole file.
void WriteFile(const std::string& path, const std::string& text);
// The same, then makes the file executable by its owner (scripts standing in
// for programs).
void WriteExecutable(const std::string& path, const std::string& text);

}  // namespace torva
