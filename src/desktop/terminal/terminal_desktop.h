// A desktop without a window, for runs from scripts and pipelines. The
// program's questions are answered from replies its caller derives from the
// command line; a question no reply answers ends the run (HeadlessStuck),
// never a wait. Panel lines and messages go to a StatusOutput; windows and
// pictures are nothing (the commands still write their files).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop.h"
#include "desktop/log_panel.h"
#include "desktop/terminal/status_output.h"

namespace torva {

// The answer to one box, recognised by what it asks.
struct Reply {
  QuestionId question;
  // Questions: "yes" or "no". Inputs: the text. File requesters: the path;
  // "" cancels.
  std::string answer = {};
  // The argument the answer comes from, named when the program refuses it.
  std::string argument = {};
  // Not empty: the run counts as failed, for this reason, once the reply is used.
  std::string failure = {};
  // The question is printed with its answer even when no argument gave it:
  // its text names what the failure is about (files, paths).
  bool shown = false;
};

// What the check-box window gets: the ticks, or nullopt to cancel it.
struct TickAnswer {
  std::optional<std::vector<bool>> ticks;
  std::string failure;  // as in Reply
};
using TickRule = std::function<TickAnswer(const std::vector<std::string>& labels)>;

// Thrown when the program asks for what the replies do not give.
struct HeadlessStuck {
  std::string message;
};

class TerminalDesktop : public Desktop {
 public:
  explicit TerminalDesktop(StatusOutput& output) : output_(output) {}

  // Questions may be asked again and get the same answer; an input or a file
  // requester asked again means the answer was refused, which ends the run.
  void AddReply(Reply reply) { replies_.push_back(std::move(reply)); }
  void SetTickRule(TickRule rule) { tick_rule_ = std::move(rule); }

  // An interrupt (platform/interrupts.h, once caught), or output that can
  // no longer be written, becomes a close request of the main window at the
  // next event the program looks for.

  // Why the run failed, in the order the replies that say so were used.
  const std::vector<std::string>& failures() const { return failures_; }

  bool OpenMainWindow(const std::string& title, const Picture& logo) override;
  void CloseMainWindow() override {}
  Rect MainWindowFrame() override { return {0, 0, kMainWindowWidth, kMainWindowHeight}; }

  void ClearLog() override { panel_.Clear(); }
  void AddLogLine(int position, const std::string& text) override;
  void SetLogLine(int position, const std::string& text) override;
  // What the panel holds, for the tests that check it.
  std::vector<std::string> LogLines() { return panel_.lines(); }
  void SetProgress(int value) override { output_.Progress(value, 60); }
  void DisableButtons(int) override {}
  void EnableButtons(int) override {}

  void Message(const std::string& title, const std::string& text) override;
  void Farewell(const std::string&, const std::string&) override {}
  bool Question(QuestionId id, const std::string& title, const std::string& text) override;
  std::optional<std::string> Input(QuestionId id, const std::string& title,
                                   const std::string& prompt) override;
  std::optional<std::string> ChooseFile(QuestionId id, const std::string& title,
                                        const std::string& start_dir,
                                        const std::string& filter) override;

  std::optional<WindowId> OpenWindow(const WindowLayout& layout) override;
  void CloseWindow(WindowId window) override { windows_.erase(window); }
  void ShowPicture(WindowId, int, int, const Picture&) override {}
  void RemovePictures(WindowId) override {}
  std::optional<std::vector<bool>> WaitForCheckBoxes(WindowId window) override;
  void ResetCheckBoxes(WindowId) override {}

  // The newest closable window is closed at once: nobody looks at it.
  Event WaitEvent() override;
  Event TakeEvent() override;
  // An interrupt ends the wait as output does.
  void WaitForActivity(int fd, int timeout_ms) override;
  // Nobody reads along: a program's lines are shown as they come.
  bool PacedPanel() const override { return false; }
  bool ShowsPictures() const override { return false; }
  // Nothing is opened without a person to look at it.
  bool Open(const std::string&) override { return true; }

 private:
  // The reply for a box, marked used; throws when there is none or when a
  // single-use one comes back.
  const Reply& Use(const std::string& kind, QuestionId question, const std::string& title,
                   const std::string& text, bool single_use);

  StatusOutput& output_;
  std::vector<Reply> replies_;
  std::vector<bool> used_;
  TickRule tick_rule_;
  std::vector<std::string> failures_;
  LogPanelLines panel_;
  struct Window {
    WindowLayout layout;
    bool asked = false;  // the check boxes were answered once
  };
  std::map<WindowId, Window> windows_;
  WindowId next_window_ = 1;
  bool interrupt_delivered_ = false;
};

}  // namespace torva
