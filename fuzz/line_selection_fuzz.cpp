// Line selection (-ln): the first line holds -ln values separated by spaces, the other lines are
// the input lines they select from.
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "fuzz_input.h"
#include "input/line_selection.h"
#include "main/option_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::vector<std::u16string> lines = SplitIntoLines(ToUtf16(fuzz::Bytes(data, size)));
  if (lines.empty()) return 0;
  std::vector<std::u16string> selections;
  std::u16string_view values = lines.front();
  while (!values.empty()) {
    const size_t space = values.find(u' ');
    AddLineSelection(values.substr(0, space), selections);
    values = space == std::u16string_view::npos ? std::u16string_view() : values.substr(space + 1);
  }
  lines.erase(lines.begin());
  SelectLines(lines, selections);
  return 0;
}
