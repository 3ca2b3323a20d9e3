// The version of PCRE2 the program runs with, for --version.
#pragma once

#include <string>

namespace sonacli {

// The 16-bit PCRE2 library's version and date, with "(JIT)" when it can compile patterns to machine
// code: "10.42 2022-12-11 (JIT)".
std::string Pcre2Version();

}  // namespace sonacli
