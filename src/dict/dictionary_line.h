// What every dictionary line must be before its format is looked at.
#pragma once

#include <cstddef>
#include <string_view>

namespace sonacli {

// Far longer than any piece of text sent to the service, so a longer line could never apply.
constexpr size_t kMaxDictionaryLineLength = 65536;

// False for a line that is too long or holds a NUL character (a binary file read as text).
inline bool UsableDictionaryLine(std::u16string_view line) {
  return line.size() <= kMaxDictionaryLineLength && line.find(u'\0') == std::u16string_view::npos;
}

}  // namespace sonacli
