// The one interface through which the program talks to a person and to the
// window system. Commands never call a toolkit directly: they get a Desktop.
// Three implementations: the FLTK one (desktop/fltk), a scripted one
// (desktop/scripted) that answers from a file and prints a transcript, and
// the terminal's (desktop/terminal) for the commands without a window.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "desktop/gadgets.h"
#include "desktop/question_id.h"
#include "picture/picture.h"

namespace torva {

using WindowId = int;
constexpr WindowId kMainWindow = 0;

enum class EventType {
  kNone,         // nothing was pending
  kGadget,       // a click on a gadget of the main window
  kCloseWindow,  // the close request of a window (`window` says which)
  kRepaint,      // a secondary window needs its pictures drawn again
  kOther,        // anything else the window system delivered
};

struct Event {
  EventType type = EventType::kNone;
  WindowId window = kMainWindow;
  int gadget = -1;
  // Mouse details of a gadget click (the logo reacts to plain single clicks).
  bool left_button = true;
  bool repeated_click = false;  // the second click of a double click
  bool control_key = false;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

// What the window manager draws around a window's inside.
struct Margins {
  int left = 0, right = 0, top = 0, bottom = 0;
};

enum class WindowKind {
  kPicture,     // one or more pictures, no gadgets of its own
  kCheckBoxes,  // the camera selection: check boxes, OK and Cancel
  kStatus,      // a title bar only
};

struct WindowLayout {
  WindowKind kind = WindowKind::kPicture;
  std::string title;
  int width = 0, height = 0;
  std::optional<int> x, y;                // centred on the screen when not given
  bool closable = false;                  // shows a close button
  std::vector<std::string> check_labels;  // kCheckBoxes only
  bool escape_closes = false;             // Escape asks to close it, as the close button does
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Main window. Returns false when it cannot be opened.
  virtual bool OpenMainWindow(const std::string& title, const Picture& logo) = 0;
  virtual void CloseMainWindow() = 0;
  // Where the main window opens next, as a run before left it: its frame's
  // corner and its inside's size, kept on the screen and no smaller than
  // its least size. Centred at its least size without it.
  virtual void PlaceMainWindow(const Rect& /*frame*/) {}
  virtual Rect MainWindowFrame() = 0;
  // The part of the screen that windows may use.
  virtual Rect ScreenArea() { return {0, 0, 1280, 1024}; }
  // The title bar and borders around a window (as around the main window);
  // none without a window manager.
  virtual Margins WindowMargins() { return {}; }

  // LogPanel: a list of text lines.
  virtual void ClearLog() = 0;
  // At or past the end the text becomes the new last line, otherwise it is
  // inserted before line `position`; line feeds in `text` make several lines.
  virtual void AddLogLine(int position, const std::string& text) = 0;
  virtual void SetLogLine(int position, const std::string& text) = 0;

  virtual void SetProgress(int value) = 0;  // 0..60
  // Grey out / restore every button of the main window except `keep`.
  virtual void DisableButtons(int keep) = 0;
  virtual void EnableButtons(int keep) = 0;

  // Modal boxes.
  virtual void Message(const std::string& title, const std::string& text) = 0;
  // The last message before the program ends. Without a window, the
  // command's own last line says why instead.
  virtual void Farewell(const std::string& title, const std::string& text) { Message(title, text); }
  // Yes or No; Return, before the focus is moved, answers Yes.
  // Each box names what it asks (`id`) for those who answer without reading it.
  virtual bool Question(QuestionId id, const std::string& title, const std::string& text) = 0;
  // The same with No for Return: for a question whose Yes gives up work.
  virtual bool QuestionDefaultNo(QuestionId id, const std::string& title, const std::string& text) {
    return Question(id, title, text);
  }
  // Yes, No, or nullopt when the box is dismissed (Escape, its close box): for
  // a question whose No starts work too, or changes a setting.
  virtual std::optional<bool> QuestionOrCancel(QuestionId id, const std::string& title,
                                               const std::string& text) {
    return Question(id, title, text);
  }
  // nullopt when cancelled.
  virtual std::optional<std::string> Input(QuestionId id, const std::string& title,
                                           const std::string& prompt) = 0;
  // The same with `initial` in the field to start with, for the person to
  // keep or change.
  virtual std::optional<std::string> InputFrom(QuestionId id, const std::string& title,
                                               const std::string& prompt,
                                               const std::string& /*initial*/) {
    return Input(id, title, prompt);
  }
  // The same for a secret such as a password, which the window system masks
  // while it is typed.
  virtual std::optional<std::string> SecretInput(QuestionId id, const std::string& title,
                                                 const std::string& prompt) {
    return Input(id, title, prompt);
  }
  // `filter` is "Description|pattern", e.g. "Maxwell Render scene (*.mxs)|*.mxs".
  virtual std::optional<std::string> ChooseFile(QuestionId id, const std::string& title,
                                                const std::string& start_dir,
                                                const std::string& filter) = 0;

  // Secondary windows.
  virtual std::optional<WindowId> OpenWindow(const WindowLayout& layout) = 0;
  virtual void CloseWindow(WindowId window) = 0;
  // Puts the window above the others.
  virtual void RaiseWindow(WindowId /*window*/) {}
  // Shows `picture` at (x, y) inside `window`, replacing what stood there.
  virtual void ShowPicture(WindowId window, int x, int y, const Picture& picture) = 0;
  virtual void RemovePictures(WindowId window) = 0;
  // Check-box window: waits until OK is pressed, returns the ticks; nullopt
  // when the person cancels (Cancel, Escape or the window's close box).
  virtual std::optional<std::vector<bool>> WaitForCheckBoxes(WindowId window) = 0;
  // Untick every box again.
  virtual void ResetCheckBoxes(WindowId window) = 0;

  // Events.
  virtual Event WaitEvent() = 0;  // blocks until something happens
  virtual Event TakeEvent() = 0;  // never blocks; kNone when nothing is pending
  // Sleeps until an event is pending, `fd` (when not negative) has something
  // to read, or `timeout_ms` has passed (negative: no limit): a watched run's
  // idle pass. This one cannot see events coming: it looks each second.
  virtual void WaitForActivity(int fd, int timeout_ms);
  // A person reads the panel as it fills: a watched run hands a burst of a
  // program's lines on at a reading pace. Where nobody does, at once.
  virtual bool PacedPanel() const { return true; }
  // Whether a picture shown is seen: where nobody can see one, a watched run
  // does not even read its renderer's picture.
  virtual bool ShowsPictures() const { return true; }

  // The system's "open" (a web address, a document, a folder). False when it
  // could not be done: no opener, or the opener reported a failure; an opener
  // still at work after a short wait counts as done.
  virtual bool Open(const std::string& target) = 0;

 protected:
  // Sleeps until `fd` (when not negative) has something to read or
  // `timeout_ms` has passed (negative: no limit).
  static void WaitForFd(int fd, int timeout_ms);
};

// The largest inside a window can have on the screen's work area, and where
// that inside starts.
Rect WindowRoom(Desktop& desktop);

}  // namespace torva
