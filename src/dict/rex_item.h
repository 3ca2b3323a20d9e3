// Rules of regular-expression ".rex" dictionaries: "pattern=replacement" lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

struct TREXItem {
  std::u16string Pattern;         // as written; an escaped "\=" stays in it
  std::u16string Replacement;     // after DecodeRexEscapes and PrepareRexReplacement
  bool CaseSensitive = false;     // the pattern began with "@"
  bool HasCaseOperators = false;  // the replacement uses \u, \l, \U or \L
};

// Parses one line as written in the file. Nothing for empty lines, comments ("#"), lines without an
// "=" that is not preceded by a backslash, and lines whose pattern part is empty. The replacement's
// escapes are decoded with the ANSI code page.
std::optional<TREXItem> ParseRexLine(std::u16string_view line, int ansiCodePage);

// Decodes \xHH (a byte of the ANSI code page), \uHHHH and \x{H...} (one to four digits, a UTF-16
// code unit); any other backslash is an ordinary character.
std::u16string DecodeRexEscapes(std::u16string_view text, int ansiCodePage);

// Makes a decoded replacement ready for expansion: a range opened by \U or \L and never closed gets
// a closing \E, and the backslashes of the case operators are doubled so that the escape decoding
// at expansion hands them back. Returns whether the replacement uses \u, \l, \U or \L.
bool PrepareRexReplacement(std::u16string& replacement);

}  // namespace sonacli
