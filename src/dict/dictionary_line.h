// Reading dictionary files as lines, and what every line must be before its format is looked at.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// Far longer than any piece of text sent to the service, so a longer line could never apply.
constexpr size_t kMaxDictionaryLineLength = 65536;

// Reads a dictionary file as lines (as ReadTextLines decodes them). False, with no lines, when it
// cannot be read or is binary (it holds a NUL character).
bool ReadDictionaryLines(std::u16string_view fileName, std::vector<std::u16string>& lines, int ansiCodePage);

// False for a line too long to be a rule.
inline bool UsableDictionaryLine(std::u16string_view line) {
  return line.size() <= kMaxDictionaryLineLength;
}

}  // namespace sonacli
