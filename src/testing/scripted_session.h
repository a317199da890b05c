// For tests: a scripted desktop over an answer text, its transcript kept in
// memory.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "desktop/scripted/scripted_desktop.h"
#include "testing/files.h"
#include "testing/memory_file.h"
#include "testing/temp_folder.h"

namespace torva {

class ScriptedSession {
 public:
  explicit ScriptedSession(const std::string& answers) {
    AnswerFile file = ParseAnswers(answers);
    if (!file.error.empty()) throw std::runtime_error(file.error);
    desktop_.emplace(file.answers, out_.file());
  }
  ~ScriptedSession() { desktop_.reset(); }
  ScriptedSession(const ScriptedSession&) = delete;
  ScriptedSession& operator=(const ScriptedSession&) = delete;

  ScriptedDesktop& desktop() { return *desktop_; }
  std::string transcript() { return out_.text(); }

 private:
  MemoryFile out_;
  std::optional<ScriptedDesktop> desktop_;
};

}  // namespace torva
