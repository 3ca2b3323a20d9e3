// The whole input text, one entry per line without line ends; filled once per run by the input
// step, then read by the drivers and the subtitle readers.
#pragma once

#include <string>
#include <vector>

namespace sonacli {

extern std::vector<std::u16string> InputLines;

}  // namespace sonacli
