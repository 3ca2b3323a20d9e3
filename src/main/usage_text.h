// The usage text printed for -h, -? and for a run without input.
#pragma once

#include <span>
#include <string_view>

namespace sonacli {

// The lines of the usage text, without line ends.
std::span<const std::u16string_view> UsageLines();
// Writes the usage text to standard output.
void PrintUsage();

}  // namespace sonacli
