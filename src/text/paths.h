// Pieces of a path and of a name, as plain text (no file system involved).
#pragma once

#include <string>
#include <string_view>

namespace torva {

// Everything up to and including the last "/" ("" when there is none).
std::string FolderOf(std::string_view path);
// The name with its extension, after the last "/".
std::string FileNameOf(std::string_view path);
// ASCII letters in lower case; every other byte as it is.
std::string Lowered(std::string_view text);

}  // namespace torva
