// For tests of a step's logic: a Runner that plays programs instead of
// starting them, and records what it was asked to start.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "renderer/runner.h"

namespace torva {

// A program's part, in the substitute renderer's replay language: each line
// is printed, except
//   "@sleep MS"    a pause: the lines after it come once the reader has
//                  waited, at once; a pause of a minute or more (longer than
//                  any test waits) runs on silently until it is stopped;
//   "@signal NAME" the program dies of signal NAME (SEGV, KILL, ...);
//   "@exit N"      it ends with exit status N;
//   "@helper S"    ignored (a helper process is the real runner's business).
// Without an ending it exits with status 0 after its last line.
struct FakeProgram {
  std::string replay;
  // Not 0: the launch fails with this errno value.
  int start_error = 0;
};

class FakeRunner final : public Runner {
 public:
  struct Launched {
    std::string executable;
    std::vector<std::string> arguments;
    std::string working_dir;
  };
  // What a launch plays; it may first write the files the program would
  // make. Nothing: the real program is started.
  using Player = std::function<std::optional<FakeProgram>(const Launched&)>;

  explicit FakeRunner(Player player) : player_(std::move(player)) {}

  ExternalProcess Launch(const std::string& executable, const std::vector<std::string>& arguments,
                         const std::string& working_dir) override;

  // Every launch, in order.
  const std::vector<Launched>& launches() const { return launches_; }

 private:
  Player player_;
  std::vector<Launched> launches_;
};

// The value of the argument that starts with `prefix` ("-o:"), or "".
std::string ArgumentAfter(const std::vector<std::string>& arguments, const std::string& prefix);

}  // namespace torva
