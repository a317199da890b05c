// The desktop on a real window system, through FLTK. A thin layer: it shows
// what it is told and queues what the person does; the program decides what
// any of it means. Once the program catches interrupts (platform/interrupts.h)
// an interrupt is the close request of the main window, whose question
// whether to stop and quit it answers Yes without asking; the dialog open
// then gets its cancel answer, and none is shown after.
#pragma once

#include <deque>
#include <map>
#include <memory>

#include "desktop/desktop.h"
#include "desktop/log_panel.h"

class Fl_Window;

namespace torva {

namespace fltk {
struct MainWindow;
class SecondaryWindow;
}  // namespace fltk

class FltkDesktop : public Desktop {
 public:
  FltkDesktop();
  ~FltkDesktop() override;
  FltkDesktop(const FltkDesktop&) = delete;
  FltkDesktop& operator=(const FltkDesktop&) = delete;

  bool OpenMainWindow(const std::string& title, const Picture& logo) override;
  void CloseMainWindow() override;
  void PlaceMainWindow(const Rect& frame) override;
  Rect MainWindowFrame() override;
  Rect ScreenArea() override;
  Margins WindowMargins() override;

  void ClearLog() override;
  void AddLogLine(int position, const std::string& text) override;
  void SetLogLine(int position, const std::string& text) override;
  void SetProgress(int value) override;
  void DisableButtons(int keep) override;
  void EnableButtons(int keep) override;

  void Message(const std::string& title, const std::string& text) override;
  bool Question(QuestionId id, const std::string& title, const std::string& text) override;
  bool QuestionDefaultNo(QuestionId id, const std::string& title, const std::string& text) override;
  std::optional<bool> QuestionOrCancel(QuestionId id, const std::string& title,
                                       const std::string& text) override;
  std::optional<std::string> Input(QuestionId id, const std::string& title,
                                   const std::string& prompt) override;
  std::optional<std::string> InputFrom(QuestionId id, const std::string& title,
                                       const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> SecretInput(QuestionId id, const std::string& title,
                                         const std::string& prompt) override;
  std::optional<std::string> ChooseFile(QuestionId id, const std::string& title,
                                        const std::string& start_dir,
                                        const std::string& filter) override;

  std::optional<WindowId> OpenWindow(const WindowLayout& layout) override;
  void CloseWindow(WindowId window) override;
  void RaiseWindow(WindowId window) override;
  void ShowPicture(WindowId window, int x, int y, const Picture& picture) override;
  void RemovePictures(WindowId window) override;
  std::optional<std::vector<bool>> WaitForCheckBoxes(WindowId window) override;
  void ResetCheckBoxes(WindowId window) override;

  // An interrupt comes once from TakeEvent, from WaitEvent each time.
  Event WaitEvent() override;
  Event TakeEvent() override;
  void WaitForActivity(int fd, int timeout_ms) override;
  bool Open(const std::string& target) override;

  // For the widgets' callbacks.
  void Push(const Event& event);

 private:
  bool InterruptPending() const;
  void SetButtons(bool active, int keep);
  void DrawMainWindowNow();
  void KeepPlace();
  fltk::SecondaryWindow* Find(WindowId window);
  Fl_Window* DialogOwner();

  std::unique_ptr<fltk::MainWindow> main_;
  std::optional<Rect> main_place_;
  std::map<WindowId, std::unique_ptr<fltk::SecondaryWindow>> windows_;
  WindowId next_window_ = 1;
  std::deque<Event> events_;
  bool interrupt_delivered_ = false;
  LogPanelLines log_;
};

// Connects to the window system named by DISPLAY. False when there is none or
// it refuses; every window and dialog would then silently do nothing.
bool ConnectToDisplay();

// "Description|pattern" as FLTK's chooser wants it: "Description\tpattern".
// A pattern list "*.a;*.b" becomes "{*.a,*.b}", and "*.*" means every file.
std::string FltkFilter(const std::string& filter);

}  // namespace torva
