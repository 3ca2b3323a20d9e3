#include "dict/dic_item.h"

#include <algorithm>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

bool IsComment(std::u16string_view line) {
  return line[0] == u'#' && (line.size() == 1 || line[1] != u'#');
}

// The first "=" that ends the line or is not followed by another "=": a run of "=" belongs to the
// key except its last one.
size_t SeparatorOf(std::u16string_view line) {
  for (size_t i = line.find(u'='); i != std::u16string_view::npos; i = line.find(u'=', i + 1)) {
    if (i + 1 == line.size() || line[i + 1] != u'=') return i;
  }
  return std::u16string_view::npos;
}

// "**", "##", "==" and "$$" (and longer runs) stand for one literal character.
std::u16string ReduceDoubledMarkers(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const bool marker = c == u'*' || c == u'#' || c == u'=' || c == u'$';
    if (marker && !out.empty() && out.back() == c) continue;
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::optional<TDICItem> ParseDicLine(std::u16string_view line) {
  if (line.empty() || IsComment(line)) return std::nullopt;
  const size_t separator = SeparatorOf(line);
  if (separator == std::u16string_view::npos) return std::nullopt;
  TDICItem item;
  std::u16string left(line.substr(0, separator));
  item.Replacement = line.substr(separator + 1);
  if (left.size() >= 2 && left[0] == u'$' && left[1] != u'$') {
    item.CaseSensitive = true;
    left.erase(0, 1);
  } else {
    left = LowerCase(left);
  }
  if (left.size() >= 2) {
    item.OpenStart = left[0] == u'*' && left[1] != u'*';
    item.OpenEnd = left.back() == u'*' && left[left.size() - 2] != u'*';
    if (item.OpenEnd) left.pop_back();
    if (item.OpenStart) left.erase(0, 1);
  }
  item.Key = ReduceDoubledMarkers(left);
  if (item.Key.empty()) return std::nullopt;
  return item;
}

void SortDicEntries(std::vector<TDICItem>& entries) {
  std::sort(entries.begin(), entries.end(), [](const TDICItem& a, const TDICItem& b) {
    if (a.Key.size() != b.Key.size()) return a.Key.size() > b.Key.size();
    if (a.CaseSensitive != b.CaseSensitive) return a.CaseSensitive;
    return a.Order < b.Order;
  });
}

}  // namespace sonacli
