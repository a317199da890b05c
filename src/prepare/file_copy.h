// Copying a file the user picked by hand into the project folder.
#pragma once

#include <string>

namespace torva {

// Copies `from` to `to` when `from` is a plain file (also behind a link) that
// can be read to its end; a pipe, a device or a folder is refused without
// waiting on it. The copy is written beside `to` and renamed over it, so on
// failure (false) whatever stood at `to` is left as it was.
bool CopyPlainFile(const std::string& from, const std::string& to);

}  // namespace torva
