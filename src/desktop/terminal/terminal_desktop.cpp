#include "desktop/terminal/terminal_desktop.h"

#include <poll.h>

#include "platform/interrupts.h"

namespace torva {
namespace {

// What a box says, on one line, for a message about it.
std::string Described(const std::string& title, const std::string& text) {
  std::string shown = "\"" + title + "\"";
  if (text.empty()) return shown;
  std::string flat = text.substr(0, text.find_first_of("\r\n"));
  return shown + " (" + flat + (flat.size() < text.size() ? " ..." : "") + ")";
}

}  // namespace

const Reply& TerminalDesktop::Use(const std::string& kind, QuestionId question,
                                  const std::string& title, const std::string& text,
                                  bool single_use) {
  used_.resize(replies_.size(), false);
  for (std::size_t i = 0; i < replies_.size(); ++i) {
    const Reply& reply = replies_[i];
    if (reply.question != question) continue;
    if (used_[i] && single_use) {
      throw HeadlessStuck{Described(title, text) + " refused the answer \"" + reply.answer + "\"" +
                          (reply.argument.empty() ? "" : " given by " + reply.argument)};
    }
    if (!used_[i] && !reply.failure.empty()) failures_.push_back(reply.failure);
    used_[i] = true;
    return reply;
  }
  throw HeadlessStuck{"the " + kind + " " + Described(title, text) +
                      " cannot be answered from the command line"};
}

bool TerminalDesktop::OpenMainWindow(const std::string&, const Picture&) { return true; }

void TerminalDesktop::AddLogLine(int position, const std::string& text) {
  panel_.Add(position, text);
  output_.Line(text);
}

void TerminalDesktop::SetLogLine(int position, const std::string& text) {
  if (panel_.Set(position, text)) output_.Line(text);
}

void TerminalDesktop::Message(const std::string& title, const std::string& text) {
  output_.Note(title + ": " + text);
}

bool TerminalDesktop::Question(QuestionId id, const std::string& title, const std::string& text) {
  const Reply& reply = Use("question", id, title, text, false);
  if (reply.answer != "yes" && reply.answer != "no") {
    throw HeadlessStuck{reply.failure.empty() ? "the question " + Described(title, text) +
                                                    " cannot be answered from the command line"
                                              : reply.failure};
  }
  // Only a choice made on the command line is worth a line: the answers a
  // command gives by itself would show the window's words (its buttons).
  if (!reply.argument.empty() || reply.shown) {
    output_.Note(title + ": " + text + " -> " + reply.answer +
                 (reply.argument.empty() ? "" : " (" + reply.argument + ")"));
  }
  return reply.answer == "yes";
}

std::optional<std::string> TerminalDesktop::Input(QuestionId id, const std::string& title,
                                                  const std::string& prompt) {
  const Reply& reply = Use("input box", id, title, prompt, true);
  if (reply.answer.empty()) return std::nullopt;
  return reply.answer;
}

std::optional<std::string> TerminalDesktop::ChooseFile(QuestionId id, const std::string& title,
                                                       const std::string&, const std::string&) {
  const Reply& reply = Use("file requester", id, title, "", true);
  if (reply.answer.empty()) return std::nullopt;
  return reply.answer;
}

std::optional<WindowId> TerminalDesktop::OpenWindow(const WindowLayout& layout) {
  const WindowId id = next_window_++;
  windows_[id] = Window{layout};
  return id;
}

std::optional<std::vector<bool>> TerminalDesktop::WaitForCheckBoxes(WindowId window) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return std::nullopt;
  const WindowLayout& layout = found->second.layout;
  if (!tick_rule_) {
    throw HeadlessStuck{"the window " + Described(layout.title, "") +
                        " cannot be answered from the command line"};
  }
  // Asked again: the ticks given were refused.
  if (found->second.asked)
    throw HeadlessStuck{"the window " + Described(layout.title, "") + " refused the choice"};
  found->second.asked = true;
  TickAnswer answer = tick_rule_(layout.check_labels);
  if (!answer.failure.empty()) failures_.push_back(answer.failure);
  return answer.ticks;
}

Event TerminalDesktop::WaitEvent() {
  if (Event event = TakeEvent(); event.type != EventType::kNone) return event;
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (it->second.layout.closable) return Event{EventType::kCloseWindow, it->first};
  }
  throw HeadlessStuck{"the program waits for a click, which a run without a window never gets"};
}

void TerminalDesktop::WaitForActivity(int fd, int timeout_ms) {
  if (interrupt_delivered_ || InterruptFd() < 0) {
    WaitForFd(fd, timeout_ms);
    return;
  }
  output_.CheckReaders();
  if (InterruptSignal() != 0 || output_.lost()) return;  // TakeEvent has a close request
  // A reader that goes away ends the wait too.
  pollfd watched[4] = {{InterruptFd(), POLLIN, 0},
                       {StatusOutput::kWatched[0], 0, 0},
                       {StatusOutput::kWatched[1], 0, 0},
                       {fd, POLLIN, 0}};
  ::poll(watched, fd >= 0 ? 4 : 3, timeout_ms);
}

Event TerminalDesktop::TakeEvent() {
  output_.CheckReaders();
  if ((InterruptSignal() != 0 || output_.lost()) && !interrupt_delivered_) {
    interrupt_delivered_ = true;
    return Event{EventType::kCloseWindow, kMainWindow};
  }
  return {};
}

}  // namespace torva
