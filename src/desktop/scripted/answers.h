// The answer file of the scripted desktop: one answer per line, used in order.
// "return" answers a question as the Return key would: its default answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/whole_file.h"

namespace torva {

struct Answer {
  enum class Kind { kYes, kNo, kReturn, kFile, kCancel, kInput, kPress, kTick, kClose };
  Kind kind;
  std::string text;          // file path, input text, or the "after" text
  int gadget = -1;           // press
  bool after = false;        // press N after TEXT, close after TEXT
  bool main_window = false;  // close main [after TEXT]: the main window, whatever else is open
  std::vector<int> ticks;    // tick I J ... (counted from 1)
  int line = 0;              // line number in the file, for messages
};

struct AnswerFile {
  std::vector<Answer> answers;
  std::string error;  // non-empty when the file is malformed
};

AnswerFile ParseAnswers(const std::string& content);

}  // namespace torva
