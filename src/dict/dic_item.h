// Entries of plain ".dic" dictionaries: "key=replacement" lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

struct TDICItem {
  // The text to look for, markers and doubled characters processed; lower case unless CaseSensitive.
  std::u16string Key;
  // Put in place of the key exactly as written (may be empty).
  std::u16string Replacement;
  bool OpenStart = false;      // the key may begin inside a word ("*key")
  bool OpenEnd = false;        // the key may end inside a word ("key*")
  bool CaseSensitive = false;  // "$Key"
  int32_t Order = 0;           // position in the entry list when added; ties of the sort
};

// Parses one line as written in the file (not trimmed). Nothing for empty lines, lines without
// "=", comments ("#" not followed by "#") and entries whose key ends up empty. Order is left 0.
std::optional<TDICItem> ParseDicLine(std::u16string_view line);

// Longer keys first; of equal length a case-sensitive entry first; then by Order.
void SortDicEntries(std::vector<TDICItem>& entries);

}  // namespace sonacli
