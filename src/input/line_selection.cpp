#include "input/line_selection.h"

#include <algorithm>
#include <charconv>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

// A positive decimal number; 0 for anything else.
size_t ParseLineNumber(std::u16string_view text) {
  std::string ascii = ToUtf8(text);
  size_t value = 0;
  auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  return error == std::errc() && end == ascii.data() + ascii.size() ? value : 0;
}

}  // namespace

std::vector<std::u16string> SelectLines(const std::vector<std::u16string>& lines,
                                        const std::vector<std::u16string>& selections) {
  std::vector<std::u16string> selected;
  const size_t count = lines.size();
  for (std::u16string_view selection : selections) {
    size_t dash = selection.find(u'-');
    size_t first = ParseLineNumber(selection.substr(0, dash));
    size_t last = dash == std::u16string_view::npos ? first : ParseLineNumber(selection.substr(dash + 1));
    if (first == 0 || first > count) continue;
    for (size_t n = first; n <= std::min(last, count); ++n) selected.push_back(lines[n - 1]);
  }
  return selected;
}

}  // namespace sonacli
