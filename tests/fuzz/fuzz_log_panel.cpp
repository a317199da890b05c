// The LogPanel's lines against a plain list: clear, add (a text with line
// feeds adds one line per piece, the position held to the list) and set.
#include <fuzzer/FuzzedDataProvider.h>

#include <list>

#include "desktop/log_panel.h"
#include "fuzz_check.h"

using namespace torva;

namespace {

std::list<std::string> Pieces(const std::string& text) {
  std::list<std::string> pieces(1);
  for (char c : text) {
    if (c == '\n')
      pieces.emplace_back();
    else
      pieces.back() += c;
  }
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  LogPanelLines panel;
  std::list<std::string> model;
  while (input.remaining_bytes() > 0) {
    const int operation = input.ConsumeIntegralInRange(0, 9);
    const int position = input.ConsumeIntegralInRange(-3, 40);
    const std::string text = input.ConsumeRandomLengthString(16);
    if (operation == 0) {
      panel.Clear();
      model.clear();
    } else if (operation <= 6) {
      const std::vector<int> at = panel.Add(position, text);
      int place = position < 0 ? 0 : std::min(position, static_cast<int>(model.size()));
      auto where = std::next(model.begin(), place);
      std::vector<int> expected;
      for (const std::string& piece : Pieces(text)) {
        model.insert(where, piece);
        expected.push_back(place++);
      }
      FUZZ_CHECK(at == expected);
    } else {
      const bool inside = position >= 0 && position < static_cast<int>(model.size());
      FUZZ_CHECK(panel.Set(position, text) == inside);
      if (inside) *std::next(model.begin(), position) = text;
    }
    FUZZ_CHECK(std::equal(panel.lines().begin(), panel.lines().end(), model.begin(), model.end()));
  }
  std::string joined;
  for (auto line = model.begin(); line != model.end(); ++line)
    joined += (line == model.begin() ? "" : "\n") + *line;
  FUZZ_CHECK(panel.Text() == joined);
  return 0;
}
