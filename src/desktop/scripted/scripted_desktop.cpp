#include "desktop/scripted/scripted_desktop.h"

namespace torva {
namespace {

constexpr int kScreenWidth = 1280, kScreenHeight = 1024;

}  // namespace

ScriptedDesktop::ScriptedDesktop(std::vector<Answer> answers, std::FILE* out)
    : answers_(answers.begin(), answers.end()), transcript_(out) {}

const Answer* ScriptedDesktop::Next() const {
  return answers_.empty() ? nullptr : &answers_.front();
}

void ScriptedDesktop::Consume() {
  answers_.pop_front();
  seen_after_text_ = false;
}

void ScriptedDesktop::Write(const std::string& line) {
  transcript_.Write(line);
  NoteShown(line);
}

void ScriptedDesktop::NoteShown(const std::string& text) {
  const Answer* next = Next();
  if (next && next->after && text.find(next->text) != std::string::npos) seen_after_text_ = true;
}

void ScriptedDesktop::Stuck(const std::string& what) {
  Write("stuck " + Quote(what));
  throw ScriptStuck{};
}

void ScriptedDesktop::Finish(int status) {
  if (finished_) return;
  finished_ = true;
  PrintPanel();
  Write("exit " + std::to_string(status));
}

bool ScriptedDesktop::OpenMainWindow(const std::string&, const Picture&) { return true; }
void ScriptedDesktop::CloseMainWindow() {}

Rect ScriptedDesktop::MainWindowFrame() {
  return {(kScreenWidth - kMainWindowWidth) / 2, (kScreenHeight - kMainWindowHeight) / 2,
          kMainWindowWidth, kMainWindowHeight};
}

void ScriptedDesktop::PrintPanel() {
  // Repeats what was shown before: not news for an "after" answer.
  for (const auto& line : panel_.lines()) transcript_.Write("panel " + Quote(line));
}

void ScriptedDesktop::ClearLog() {
  PrintPanel();
  Write("clear");
  panel_.Clear();
}

void ScriptedDesktop::AddLogLine(int position, const std::string& text) {
  auto positions = panel_.Add(position, text);
  for (int at : positions) {
    const std::string& line = panel_.lines()[at];
    Write("log " + std::to_string(at) + " " + Quote(line));
    NoteShown(line);
  }
}

void ScriptedDesktop::SetLogLine(int position, const std::string& text) {
  if (panel_.Set(position, text)) Write("set " + std::to_string(position) + " " + Quote(text));
}

std::vector<std::string> ScriptedDesktop::LogLines() { return panel_.lines(); }

void ScriptedDesktop::SetProgress(int value) { Write("progress " + std::to_string(value)); }

void ScriptedDesktop::SetButtons(bool enabled, int keep) {
  for (const GadgetPlace& button : kButtonPlaces) {
    if (button.gadget == keep) continue;
    if (enabled)
      disabled_.erase(button.gadget);
    else
      disabled_.insert(button.gadget);
  }
  Write((enabled ? "enable " : "disable ") + std::to_string(keep));
}

void ScriptedDesktop::DisableButtons(int keep) { SetButtons(false, keep); }
void ScriptedDesktop::EnableButtons(int keep) { SetButtons(true, keep); }

void ScriptedDesktop::Message(const std::string& title, const std::string& text) {
  Write("message " + Quote(title) + " " + Quote(text));
}

bool ScriptedDesktop::Question(QuestionId, const std::string& title, const std::string& text) {
  return *Ask(title, text, true, false);
}

bool ScriptedDesktop::QuestionDefaultNo(QuestionId, const std::string& title,
                                        const std::string& text) {
  return *Ask(title, text, false, false);
}

std::optional<bool> ScriptedDesktop::QuestionOrCancel(QuestionId, const std::string& title,
                                                      const std::string& text) {
  return Ask(title, text, true, true);
}

std::optional<bool> ScriptedDesktop::Ask(const std::string& title, const std::string& text,
                                         bool default_yes, bool dismissable) {
  const Answer* next = Next();
  using Kind = Answer::Kind;
  const bool dismissed =
      dismissable && next && (next->kind == Kind::kCancel || next->kind == Kind::kClose);
  if (!next || (next->kind != Kind::kYes && next->kind != Kind::kNo &&
                next->kind != Kind::kReturn && !dismissed))
    Stuck("question \"" + title + "\" \"" + text + "\"");
  const bool yes = next->kind == Kind::kReturn ? default_yes : next->kind == Kind::kYes;
  Consume();
  Write("question " + Quote(title) + " " + Quote(text) + " -> " +
        (dismissed ? "cancel"
         : yes     ? "yes"
                   : "no"));
  if (dismissed) return std::nullopt;
  return yes;
}

std::optional<std::string> ScriptedDesktop::Input(QuestionId id, const std::string& title,
                                                  const std::string& prompt) {
  return InputFrom(id, title, prompt, "");
}

std::optional<std::string> ScriptedDesktop::InputFrom(QuestionId, const std::string& title,
                                                      const std::string& prompt,
                                                      const std::string& initial) {
  const Answer* next = Next();
  using Kind = Answer::Kind;
  if (!next ||
      (next->kind != Kind::kInput && next->kind != Kind::kCancel && next->kind != Kind::kReturn))
    Stuck("input \"" + title + "\" \"" + prompt + "\"");
  std::string line = "input " + Quote(title) + " " + Quote(prompt) + " ";
  if (!initial.empty()) line += Quote(initial) + " ";
  std::optional<std::string> answer;
  if (next->kind == Kind::kInput) answer = next->text;
  if (next->kind == Kind::kReturn) answer = initial;
  Consume();
  Write(line + "-> " + (answer ? Quote(*answer) : "cancel"));
  return answer;
}

std::optional<std::string> ScriptedDesktop::ChooseFile(QuestionId, const std::string& title,
                                                       const std::string& start_dir,
                                                       const std::string& filter) {
  const Answer* next = Next();
  if (!next || (next->kind != Answer::Kind::kFile && next->kind != Answer::Kind::kCancel))
    Stuck("file \"" + title + "\" \"" + start_dir + "\" \"" + filter + "\"");
  std::string line = "file " + Quote(title) + " " + Quote(start_dir) + " " + Quote(filter) + " -> ";
  std::optional<std::string> path;
  if (next->kind == Answer::Kind::kFile) path = next->text;
  Consume();
  Write(line + (path ? Quote(*path) : "cancel"));
  return path;
}

std::optional<WindowId> ScriptedDesktop::OpenWindow(const WindowLayout& layout) {
  WindowId id = next_window_++;
  windows_[id] = Window{layout};
  Write("window " + Quote(layout.title) + " " + std::to_string(layout.width) + " " +
        std::to_string(layout.height));
  return id;
}

void ScriptedDesktop::CloseWindow(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  Write("closewin " + Quote(it->second.layout.title));
  windows_.erase(it);
}

void ScriptedDesktop::ShowPicture(WindowId window, int, int, const Picture& picture) {
  if (!windows_.count(window)) return;
  Write("picture " + Quote(picture.source) + " " + std::to_string(picture.width) + " " +
        std::to_string(picture.height) + " " + Quote(picture.caption));
}

void ScriptedDesktop::RemovePictures(WindowId) {}

std::optional<std::vector<bool>> ScriptedDesktop::WaitForCheckBoxes(WindowId window) {
  auto it = windows_.find(window);
  std::size_t count = it == windows_.end() ? 0 : it->second.layout.check_labels.size();
  std::string title = it == windows_.end() ? "" : it->second.layout.title;
  const Answer* next = Next();
  // "cancel" is the Cancel button (or Escape), "close" the window's close box.
  const bool close_due =
      next && next->kind == Answer::Kind::kClose && (!next->after || seen_after_text_);
  if (next && (next->kind == Answer::Kind::kCancel || close_due)) {
    Consume();
    return std::nullopt;
  }
  if (!next || next->kind != Answer::Kind::kTick) Stuck("tick \"" + title + "\"");
  std::vector<bool> ticks(count, false);
  for (int box : next->ticks) {
    if (box > static_cast<int>(count))
      Stuck("tick " + std::to_string(box) + " in \"" + title + "\" (" + std::to_string(count) +
            " boxes)");
    ticks[box - 1] = true;
  }
  Consume();
  return ticks;
}

void ScriptedDesktop::ResetCheckBoxes(WindowId) {}

std::optional<Event> ScriptedDesktop::DuePress() {
  const Answer* next = Next();
  if (!next || next->kind != Answer::Kind::kPress) return std::nullopt;
  if (next->after && !seen_after_text_) return std::nullopt;
  Event event;
  event.type = disabled_.count(next->gadget) ? EventType::kOther : EventType::kGadget;
  event.gadget = next->gadget;
  Consume();
  return event;
}

std::optional<Event> ScriptedDesktop::DueClose() {
  const Answer* next = Next();
  if (!next || next->kind != Answer::Kind::kClose) return std::nullopt;
  if (next->after && !seen_after_text_) return std::nullopt;
  const bool main_window = next->main_window;
  Consume();
  Event event;
  event.type = EventType::kCloseWindow;
  // The close request goes to the window being waited on: the newest
  // closable secondary window, else the main window.
  for (auto it = windows_.rbegin(); it != windows_.rend() && !main_window; ++it) {
    if (it->second.layout.closable) {
      event.window = it->first;
      break;
    }
  }
  return event;
}

Event ScriptedDesktop::WaitEvent() {
  for (;;) {
    if (auto press = DuePress()) {
      if (press->type == EventType::kGadget) return *press;
      continue;  // a disabled button gives no event
    }
    if (auto close = DueClose()) return *close;
    Stuck("event");
  }
}

Event ScriptedDesktop::TakeEvent() {
  if (auto press = DuePress()) return *press;
  // A plain "close" waits for WaitEvent: it is meant for the main loop.
  const Answer* next = Next();
  if (next && next->kind == Answer::Kind::kClose && next->after) {
    if (auto close = DueClose()) return *close;
  }
  return {};
}

// An answer that TakeEvent would hand out now ends the wait at once.
void ScriptedDesktop::WaitForActivity(int fd, int timeout_ms) {
  const Answer* next = Next();
  const bool due =
      next && (!next->after || seen_after_text_) &&
      (next->kind == Answer::Kind::kPress || (next->kind == Answer::Kind::kClose && next->after));
  // Nothing else brings an answer: one becomes due only once a pass has
  // shown its text.
  if (!due) WaitForFd(fd, timeout_ms);
}

bool ScriptedDesktop::Open(const std::string& target) {
  Write("open " + Quote(target));
  return true;
}

}  // namespace torva
