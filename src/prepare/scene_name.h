// The scene-name rules: which files count as scenes, and the safe names the
// later command lines need (no blanks, at most 24 characters).
#pragma once

#include <string>
#include <string_view>

#include "text/paths.h"

namespace torva {

inline constexpr std::size_t kMaxSceneNameChars = 24;

// The text after the last "." of the file name ("" when there is none).
std::string ExtensionPart(std::string_view path);

// The last three characters, lower-cased, are "mxs".
bool IsSceneFile(std::string_view path);

// Every blank of the file name replaced by "_"; those in folders stay. (The
// command lines are argument vectors and the scripts escape what they quote,
// so other characters need no renaming.)
std::string BlankFreePath(std::string_view path);
// For a file name over 24 characters: the folder, the name's first 20
// characters, "." and the extension. Otherwise the path unchanged.
std::string ShortenedPath(std::string_view path);

// The file name with every ".mxs" removed, letter case ignored.
std::string SceneNameOf(std::string_view path);

enum class RenameResult { kDone, kTargetExists, kFailed };

// Renames a file, never replacing another one.
RenameResult RenameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace torva
