// What the one struct that a long command's steps run over starts with: the
// program, the command's log and its outcome, and the ways its steps tell
// the user.
#pragma once

#include <string>
#include <vector>

#include "state/program.h"

namespace torva {

template <typename CommandOutcome, typename CommandLog>
struct CommandRun {
  explicit CommandRun(Program& program_) : program(program_) {}

  // The next LogPanel line, or lines.
  void Report(const std::string& text) { ReportLine(program, text); }
  void ReportLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) ReportLine(program, line);
  }
  // Each line onto the panel and into the log.
  void ReportAndLog(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      ReportLine(program, line);
      log.Write(line);
    }
  }
  // The message box, whose text is also why the command failed.
  void Fail(const std::string& title, const std::string& text) {
    program.desktop.Message(title, text);
    outcome.Fail(text);
  }

  Program& program;
  CommandLog log;
  CommandOutcome outcome;
};

}  // namespace torva
