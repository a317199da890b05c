// Where a run without a window reports its progress: whole lines when the
// stream is a file or a pipe, one line redrawn in place on a terminal.
#pragma once

#include <cstdio>
#include <string>

namespace torva {

class StatusOutput {
 public:
  // `width`: the terminal's columns (only used when `terminal`).
  StatusOutput(std::FILE* out, bool terminal, int width = 80);
  ~StatusOutput() { Finish(); }
  StatusOutput(const StatusOutput&) = delete;
  StatusOutput& operator=(const StatusOutput&) = delete;

  // A progress line: printed as it is, or shown as the terminal's one line.
  // Runs of empty lines print as one.
  void Line(const std::string& text);
  // Progress of a step that has a bar (0..`end`); only the terminal shows it.
  void Progress(int value, int end);
  // Something the reader must not miss (a message, a question and its
  // answer): always whole lines, also on a terminal.
  void Note(const std::string& text);
  // Ends the terminal's line, so that what comes next starts on its own.
  void Finish();
  // A write failed (the reader went away, the disk is full): nothing more is
  // written, and the run should stop.
  bool lost() const { return lost_; }

 private:
  void Redraw();
  void Write(const std::string& text);

  std::FILE* out_;
  bool terminal_;
  int width_;
  std::string shown_;   // the terminal's line without its percentage
  int percent_ = -1;    // shown before it while a bar runs
  bool drawn_ = false;  // the terminal's line holds something
  bool last_empty_ = true;
  bool lost_ = false;
};

// The columns of the terminal behind `stream`, 80 when unknown.
int TerminalWidth(std::FILE* stream);
// `stream` is a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace torva
