// The scripted desktop's answer file: any text is either refused with the
// number of its bad line or gives one answer per used line, in order; and an
// answer file written from answers reads back as those answers.
#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>

#include "desktop/scripted/answers.h"
#include "fuzz_check.h"

using namespace torva;

namespace {

using Kind = Answer::Kind;

// Lines the parser uses: not blank, not a comment.
int UsedLines(const std::string& content) {
  std::istringstream in(content);
  int used = 0;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") != std::string::npos && line[0] != '#') ++used;
  }
  return used;
}

// Text without line breaks that keeps its meaning after a keyword.
std::string Word(FuzzedDataProvider& input, bool may_be_empty) {
  std::string text;
  for (char c : input.ConsumeRandomLengthString(20))
    if (c != '\n' && c != '\r' && c != '\0') text += c;
  if (!may_be_empty && text.find_first_not_of(" \t") == std::string::npos) text = "x";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(AsText(data, size));
  const AnswerFile any = ParseAnswers(content);
  if (any.error.empty()) {
    FUZZ_CHECK(static_cast<int>(any.answers.size()) == UsedLines(content));
    for (std::size_t i = 1; i < any.answers.size(); ++i)
      FUZZ_CHECK(any.answers[i].line > any.answers[i - 1].line);
  } else {
    FUZZ_CHECK(any.answers.empty());
    FUZZ_CHECK(any.error.rfind("line ", 0) == 0);
  }

  // Answers written out as a file, and read back.
  FuzzedDataProvider input(data, size);
  std::vector<Answer> written;
  std::string file;
  while (input.remaining_bytes() > 0 && written.size() < 20) {
    Answer a{};
    a.kind = static_cast<Kind>(input.ConsumeIntegralInRange(0, 8));
    switch (a.kind) {
      case Kind::kYes: file += "yes"; break;
      case Kind::kNo: file += "no"; break;
      case Kind::kReturn: file += "return"; break;
      case Kind::kCancel: file += "cancel"; break;
      case Kind::kClose:
        file += "close";
        if (input.ConsumeBool()) {
          a.after = true;
          a.text = Word(input, false);
          file += " after " + a.text;
        }
        break;
      case Kind::kFile:
        a.text = Word(input, false);
        file += "file " + a.text;
        break;
      case Kind::kInput:
        a.text = Word(input, true);
        file += "input " + a.text;
        break;
      case Kind::kPress:
        a.gadget = input.ConsumeIntegralInRange(0, 100);
        file += "press " + std::to_string(a.gadget);
        if (input.ConsumeBool()) {
          a.after = true;
          a.text = Word(input, false);
          file += " after " + a.text;
        }
        break;
      case Kind::kTick:
        file += "tick";
        for (int n = input.ConsumeIntegralInRange(0, 4); n > 0; --n) {
          a.ticks.push_back(input.ConsumeIntegralInRange(1, 60));
          file += " " + std::to_string(a.ticks.back());
        }
        break;
    }
    file += input.ConsumeBool() ? "\r\n" : "\n";
    if (input.ConsumeBool()) file += "# a comment\n\n";
    written.push_back(a);
  }
  const AnswerFile read = ParseAnswers(file);
  FUZZ_CHECK(read.error.empty());
  FUZZ_CHECK(read.answers.size() == written.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    const Answer& a = written[i];
    const Answer& b = read.answers[i];
    FUZZ_CHECK(a.kind == b.kind);
    FUZZ_CHECK(a.text == b.text);
    FUZZ_CHECK(a.after == b.after);
    FUZZ_CHECK(a.kind != Kind::kPress || a.gadget == b.gadget);
    FUZZ_CHECK(a.ticks == b.ticks);
  }
  return 0;
}
