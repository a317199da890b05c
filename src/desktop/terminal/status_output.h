// Where a run without a window reports its progress: whole lines that stay,
// and on a terminal a progress bar redrawn in place below them while a step
// with a bar runs.
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

  // A panel line; runs of empty lines print as one. On a terminal, lines and
  // notes wider than it are folded where spaces stand.
  void Line(const std::string& text);
  // Progress of a step that has a bar (0..`end`); only the terminal shows it.
  void Progress(int value, int end);
  // A message, or a question and its answer.
  void Note(const std::string& text);
  // Takes the bar away, so that what comes next starts on its own line.
  void Finish();
  // A write failed (the reader went away, the disk is full), or the reader of
  // standard output or of this output has gone: nothing more is written, and
  // the run should stop.
  bool lost() const { return lost_; }
  // Looks, without writing, whether a reader has gone.
  void CheckReaders();
  // The descriptors whose reader may go away, for a wait to watch.
  static constexpr int kWatched[] = {1, 2};

 private:
  void Print(const std::string& line);
  void Redraw();
  void Write(const std::string& text);

  std::FILE* out_;
  bool terminal_;
  int width_;
  std::string shown_;   // the latest line, which the bar repeats
  int percent_ = -1;    // while a bar runs
  bool drawn_ = false;  // the bar is on the terminal's last line
  bool last_empty_ = true;
  bool lost_ = false;
};

// The columns of the terminal behind `stream`, 80 when unknown.
int TerminalWidth(std::FILE* stream);
// `stream` is a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace torva
