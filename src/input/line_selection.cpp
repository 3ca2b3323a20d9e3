#include "input/line_selection.h"

#include <algorithm>
#include <charconv>

#include "common/unicode_text.h"
#include "input/input_text_builder.h"

namespace sonacli {

namespace {

// A positive decimal number; 0 for anything else.
size_t ParseLineNumber(std::u16string_view text) {
  std::string ascii = ToUtf8(text);
  size_t value = 0;
  auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  return error == std::errc() && end == ascii.data() + ascii.size() ? value : 0;
}

// Calls take(index) for every line the selections name, in their order.
template <typename Take>
void ForEachSelected(size_t count, const std::vector<std::u16string>& selections, Take take) {
  for (std::u16string_view selection : selections) {
    size_t dash = selection.find(u'-');
    size_t first = ParseLineNumber(selection.substr(0, dash));
    size_t last = dash == std::u16string_view::npos ? first : ParseLineNumber(selection.substr(dash + 1));
    if (first == 0 || first > count) continue;
    for (size_t n = first; n <= std::min(last, count); ++n) take(n - 1);
  }
}

}  // namespace

std::vector<std::u16string> SelectLines(const std::vector<std::u16string>& lines,
                                        const std::vector<std::u16string>& selections) {
  std::vector<std::u16string> selected;
  ForEachSelected(lines.size(), selections, [&](size_t index) { selected.push_back(lines[index]); });
  return selected;
}

TInputText SelectLines(const TInputText& text, const std::vector<std::u16string>& selections) {
  TInputTextBuilder builder(text);
  ForEachSelected(text.Lines.size(), selections,
                  [&](size_t index) { builder.AddLine(text.Lines[index], index); });
  return builder.Take();
}

}  // namespace sonacli
