// Conversions between the UTF-8 of the system's edges and the UTF-16 used for all text inside.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view utf16);

// Simple case mapping, one code unit at a time, so positions stay as they are.
std::u16string LowerCase(std::u16string_view text);
std::u16string UpperCase(std::u16string_view text);
char16_t LowerChar(char16_t c);
char16_t UpperChar(char16_t c);

// Splits at CR LF, CR and LF; a line break at the very end adds no empty last line.
std::vector<std::u16string> SplitIntoLines(std::u16string_view text);
// Joins lines with CR LF between them.
std::u16string JoinLines(const std::vector<std::u16string>& lines);
std::u16string JoinLines(std::span<const std::u16string> lines);

}  // namespace sonacli
