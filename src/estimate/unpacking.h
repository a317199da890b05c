// A project archive unpacked with 7za into the emptied work folder.
#pragma once

#include <optional>
#include <string>

#include "state/program.h"

namespace torva {

inline constexpr const char* kCannotUncompress = "The project archive cannot be uncompressed!";

// nullopt when unpacked; else the message to show. Only plain files stay in
// the work folder, whatever the archive held.
std::optional<std::string> Unpack(Program& program, const std::string& vum_path);

// Whether 7za's run went well: exit status 0, a warning (1), or errors that
// are all links it refused to restore (links are removed anyway). Anything
// else, a full disk or a wrong password among them, is a failure.
bool ArchiverSucceeded(int status, const std::vector<std::string>& lines);

}  // namespace torva
