#include "desktop/scripted/answers.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace torva {
namespace {

bool ParseInt(const std::string& word, int& value) {
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && end == word.data() + word.size();
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

using K = Answer::Kind;

// "close [main] [after TEXT]": after the optional "main" has been taken.
std::string ParseCloseAfter(const std::string& rest, Answer& answer) {
  answer.kind = K::kClose;
  if (Words(rest)[0] != "after" || rest.size() <= 6 || rest.compare(0, 6, "after ") != 0)
    return "expected 'close [main]' or 'close [main] after TEXT'";
  answer.after = true;
  answer.text = rest.substr(6);
  return "";
}

// "yes", "no", "return", "cancel", "close" or "close main", with nothing after them.
std::string ParseButton(const std::string& keyword, const std::string& rest, Answer& answer) {
  if (!Words(rest).empty()) return "'" + keyword + "' takes nothing after it";
  answer.kind = answer.main_window    ? K::kClose
                : keyword == "yes"    ? K::kYes
                : keyword == "no"     ? K::kNo
                : keyword == "return" ? K::kReturn
                : keyword == "cancel" ? K::kCancel
                                      : K::kClose;
  return "";
}

std::string ParsePress(const std::string& rest, Answer& answer) {
  answer.kind = K::kPress;
  auto words = Words(rest);
  if (words.empty() || !ParseInt(words[0], answer.gadget) || answer.gadget < 0)
    return "'press' needs a gadget number";
  if (words.size() == 1) return "";
  auto after = rest.find(" after ");
  if (words[1] != "after" || after == std::string::npos || after + 7 >= rest.size())
    return "expected 'press N after TEXT'";
  answer.after = true;
  answer.text = rest.substr(after + 7);
  return "";
}

std::string ParseTick(const std::string& rest, Answer& answer) {
  answer.kind = K::kTick;
  for (const auto& w : Words(rest)) {
    int box;
    if (!ParseInt(w, box) || box < 1) return "'tick' takes box numbers from 1";
    answer.ticks.push_back(box);
  }
  return "";
}

// Parses one non-blank, non-comment line; returns an error text or "".
std::string ParseLine(const std::string& line, Answer& answer) {
  auto space = line.find(' ');
  std::string keyword = line.substr(0, space);
  std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
  if (keyword == "close" && (rest == "main" || rest.starts_with("main "))) {
    answer.main_window = true;
    rest = rest.substr(rest.size() > 4 ? 5 : 4);
  }
  if (keyword == "close" && !Words(rest).empty()) return ParseCloseAfter(rest, answer);
  if (keyword == "yes" || keyword == "no" || keyword == "return" || keyword == "cancel" ||
      keyword == "close")
    return ParseButton(keyword, rest, answer);
  if (keyword == "file") {
    if (rest.empty()) return "'file' needs a path";
    answer.kind = K::kFile;
    answer.text = rest;
    return "";
  }
  if (keyword == "input") {
    answer.kind = K::kInput;
    answer.text = rest;
    return "";
  }
  if (keyword == "press") return ParsePress(rest, answer);
  if (keyword == "tick") return ParseTick(rest, answer);
  return "unknown answer '" + keyword + "'";
}

}  // namespace

AnswerFile ParseAnswers(const std::string& content) {
  AnswerFile file;
  std::istringstream in(content);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
    Answer answer{};
    answer.line = number;
    if (auto error = ParseLine(line, answer); !error.empty()) {
      file.error = "line " + std::to_string(number) + ": " + error;
      file.answers.clear();
      return file;
    }
    file.answers.push_back(std::move(answer));
  }
  return file;
}

}  // namespace torva
