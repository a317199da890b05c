// The commands that run without a window, and their arguments as read from
// the command line (after the program's own options).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace torva {

// Which cameras `prepare` renders.
struct CameraPick {
  enum class Kind { kActive, kAll, kListed } kind = Kind::kActive;
  std::vector<int> numbers;  // kListed: 1-based, in the camera list's order
};

struct HeadlessCommand {
  HeadlessKind kind = HeadlessKind::kBenchmark;
  bool json = false;
  // setup
  std::string maxwell_dir;  // absolute, without a final "/"
  std::string login;
  // Where the password comes from when a login is given. On the command line
  // every user sees it (ps) and the shell's history keeps it.
  enum class PasswordFrom { kNone, kArgument, kStandardInput, kFile, kEnvironment };
  PasswordFrom password_from = PasswordFrom::kNone;
  std::string password;       // kArgument
  std::string password_file;  // kFile
  bool check_updates = false;
  // benchmark, estimate
  bool gpu = false;
  // benchmark: PHASE 1 ends after this many estimates; without, once they settle
  std::optional<int> estimates;
  // prepare
  std::string scene;  // absolute
  CameraPick cameras;
  bool fast = false;
  bool allow_same_names = false;
  // estimate
  std::string archive;        // absolute
  std::string width, height;  // as the input boxes get them
  std::string sl;             // as typed: it goes into the log's name
  std::optional<double> seconds;

  std::string error;  // not empty: the arguments are wrong, for this reason
};

// Reads the arguments that follow the word of command `kind`.
HeadlessCommand ParseHeadlessCommand(HeadlessKind kind, const std::vector<std::string>& args);

}  // namespace torva
