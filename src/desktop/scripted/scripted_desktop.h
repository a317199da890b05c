// A desktop that takes its answers from a file and prints a transcript of
// everything the program shows. It runs the very same program as the window.
#pragma once

#include <cstdio>
#include <deque>
#include <map>
#include <set>

#include "desktop/desktop.h"
#include "desktop/log_panel.h"
#include "desktop/scripted/answers.h"
#include "desktop/scripted/transcript.h"

namespace torva {

// Thrown when the program asks for something the answer file does not give.
struct ScriptStuck {};

class ScriptedDesktop : public Desktop {
 public:
  ScriptedDesktop(std::vector<Answer> answers, std::FILE* out);

  // Prints the final panel and "exit STATUS".
  void Finish(int status);

  bool OpenMainWindow(const std::string& title, const Picture& logo) override;
  void CloseMainWindow() override;
  Rect MainWindowFrame() override;
  // A title bar 40 pixels high, and no borders.
  Margins WindowMargins() override { return {0, 0, 40, 0}; }

  void ClearLog() override;
  void AddLogLine(int position, const std::string& text) override;
  void SetLogLine(int position, const std::string& text) override;
  // What the panel holds, for the tests that check it.
  std::vector<std::string> LogLines();
  void SetProgress(int value) override;
  void DisableButtons(int keep) override;
  void EnableButtons(int keep) override;

  void Message(const std::string& title, const std::string& text) override;
  bool Question(QuestionId id, const std::string& title, const std::string& text) override;
  bool QuestionDefaultNo(QuestionId id, const std::string& title, const std::string& text) override;
  // "cancel" and "close" dismiss it.
  std::optional<bool> QuestionOrCancel(QuestionId id, const std::string& title,
                                       const std::string& text) override;
  std::optional<std::string> Input(QuestionId id, const std::string& title,
                                   const std::string& prompt) override;
  // "return" keeps the starting text, which the transcript shows after the prompt.
  std::optional<std::string> InputFrom(QuestionId id, const std::string& title,
                                       const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> ChooseFile(QuestionId id, const std::string& title,
                                        const std::string& start_dir,
                                        const std::string& filter) override;

  std::optional<WindowId> OpenWindow(const WindowLayout& layout) override;
  void CloseWindow(WindowId window) override;
  void ShowPicture(WindowId window, int x, int y, const Picture& picture) override;
  void RemovePictures(WindowId window) override;
  std::optional<std::vector<bool>> WaitForCheckBoxes(WindowId window) override;
  void ResetCheckBoxes(WindowId window) override;

  Event WaitEvent() override;
  Event TakeEvent() override;
  void WaitForActivity(int fd, int timeout_ms) override;
  bool Open(const std::string& target) override;  // always done

 private:
  const Answer* Next() const;
  std::optional<bool> Ask(const std::string& title, const std::string& text, bool default_yes,
                          bool dismissable);
  void Consume();
  [[noreturn]] void Stuck(const std::string& what);
  // Writes a transcript line; an awaited "after" text in it is noted.
  void Write(const std::string& line);
  void NoteShown(const std::string& text);
  // A press that is due now, if the next answer is one.
  std::optional<Event> DuePress();
  // A close request that is due now, if the next answer is one.
  std::optional<Event> DueClose();
  void SetButtons(bool enabled, int keep);
  void PrintPanel();

  std::deque<Answer> answers_;
  bool seen_after_text_ = false;  // the next "... after TEXT" answer may fire
  Transcript transcript_;
  LogPanelLines panel_;
  std::set<int> disabled_;
  struct Window {
    WindowLayout layout;
  };
  std::map<WindowId, Window> windows_;
  WindowId next_window_ = 1;
  bool finished_ = false;
};

}  // namespace torva
