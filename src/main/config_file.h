// The configuration file: one option per line, tested against a fixed list in a fixed order.
#pragma once

#include <string_view>

#include "main/run_options.h"

namespace sonacli {

// How a line is tested against an option name (both lowered).
enum class TConfigMatch {
  WholeLine,    // the line is the name, nothing more; no value
  ShortPrefix,  // the line begins with the name and its space; the value from the third character
  LongPrefix,   // the line begins with the name; the value after the line's first space
};

// Applies one line: the first test of the list that matches decides. The value is trimmed of
// spaces and control characters, then loses a pair of enclosing double quotes. A line that
// matches nothing is ignored.
void ApplyConfigLine(std::u16string_view line, TRunOptions& options);
// Applies every non-empty line of the file (decoded as DecodeTextFile does, with the code page of
// the options' environment). A file that cannot be read counts as empty.
void ReadConfigFile(std::u16string_view fileName, TRunOptions& options);

}  // namespace sonacli
