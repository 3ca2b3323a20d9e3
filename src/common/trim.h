// Trimming of the characters U+0000 to U+0020 (spaces and control characters).
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

std::u16string Trim(std::u16string_view text);
std::u16string TrimLeft(std::u16string_view text);
std::u16string TrimRight(std::u16string_view text);

// Every run of spaces (U+0020 only) becomes one space.
std::u16string CollapseSpaces(std::u16string_view text);

}  // namespace sonacli
