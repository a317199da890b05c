// The folders the program makes for its own work inside the application
// folder (the project folder, the unpacking folder). The application folder
// may be one the user already keeps files in, so a folder of the same name
// that the program did not make is never emptied. A folder the program made
// carries a mark beside it (".NAME.torvameter", naming the folder's inode),
// which a folder put there later under the same name does not match.
#pragma once

#include <string>
#include <system_error>

namespace torva {

enum class OwnFolder {
  kReady,    // the folder exists, is empty and is the program's own
  kForeign,  // a folder (or other file) of that name holds what the program did not make
  kFailed,   // it could not be made or emptied
};

// Makes `folder` an empty folder of the program's own: what an earlier run
// left there is removed, never following a link. A folder of that name that
// the program did not make is taken over only when it is empty. With
// kFailed, `error` (when given) says why.
OwnFolder MakeOwnFolder(const std::string& folder, std::error_code* error = nullptr);

// Removes `folder` (never following a link) and its mark when the program
// made it; anything else of that name stays. True when no folder of the
// program's own is left there.
bool RemoveOwnFolder(const std::string& folder);

}  // namespace torva
