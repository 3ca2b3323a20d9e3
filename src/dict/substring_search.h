// Substring search over UTF-16 text, eight code units at a time where the processor allows.
#pragma once

#include <cstddef>
#include <string_view>

namespace sonacli {

// The first position at or after from where needle occurs in haystack; npos when none (or when
// needle is empty).
size_t FindSubstring(std::u16string_view haystack, std::u16string_view needle, size_t from);

}  // namespace sonacli
