// The version of ICU the program runs with, for --version.
#pragma once

#include <string>

namespace sonacli {

// ICU's version with the Unicode version of its data: "72.1 (Unicode 15.0)".
std::string IcuVersion();

}  // namespace sonacli
