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
#include "testing/temp_folder.h"

namespace torva {

class ScriptedSession {
 public:
  explicit ScriptedSession(const std::string& answers) {
    AnswerFile file = ParseAnswers(answers);
    if (!file.error.empty()) throw std::runtime_error(file.error);
    out_ = open_memstream(&buffer_, &size_);
    desktop_.emplace(file.answers, out_);
  }
  ~ScriptedSession() {
    desktop_.reset();
    std::fclose(out_);
    std::free(buffer_);
  }
  ScriptedSession(const ScriptedSession&) = delete;
  ScriptedSession& operator=(const ScriptedSession&) = delete;

  ScriptedDesktop& desktop() { return *desktop_; }
  std::string transcript() {
    std::fflush(out_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* out_ = nullptr;
  std::optional<ScriptedDesktop> desktop_;
};

}  // namespace torva
