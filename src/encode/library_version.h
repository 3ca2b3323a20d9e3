// The versions of FFmpeg's libraries the program runs with, for --version.
#pragma once

#include <string>

namespace sonacli {

// As the loaded libraries report them: "59.27.100".
std::string AvformatVersion();
std::string AvcodecVersion();
std::string AvutilVersion();

}  // namespace sonacli
