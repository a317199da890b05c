// Folders and paths as the disk and the working folder give them.
#pragma once

#include <string>

namespace torva {

// `path` made absolute from the working folder and normalised, without a
// final "/" (except for "/" itself); as given when the working folder is gone.
std::string AbsolutePath(const std::string& path);

// A folder counts as present when it can be listed; otherwise it is made,
// with its parents. A failure to make it is not reported.
void MakeFolderIfMissing(const std::string& folder);

}  // namespace torva
