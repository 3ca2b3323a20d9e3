// 1-based access to the code units of a text, as the boundary rules count positions.
#pragma once

#include <cstddef>
#include <string_view>

namespace sonacli {

// The code unit at position i (1-based), or 0 when i lies outside the text, so that every class
// test on a position outside the text is false.
inline char16_t CharAt(std::u16string_view text, ptrdiff_t i) {
  return i >= 1 && static_cast<size_t>(i) <= text.size() ? text[static_cast<size_t>(i) - 1] : u'\0';
}

inline ptrdiff_t Length(std::u16string_view text) {
  return static_cast<ptrdiff_t>(text.size());
}

// True when the text holds `what` from position i (1-based) on.
inline bool MatchesAt(std::u16string_view text, ptrdiff_t i, std::u16string_view what) {
  return i >= 1 && static_cast<size_t>(i) - 1 + what.size() <= text.size() &&
         text.substr(static_cast<size_t>(i) - 1, what.size()) == what;
}

}  // namespace sonacli
