// The versions of libxml2 and libzip the book readers run with, for --version.
#pragma once

#include <string>

namespace sonacli {

// libxml2's version as the library reports it: "2.9.14".
std::string Libxml2Version();
// libzip's version as the library reports it: "1.7.3".
std::string LibzipVersion();

}  // namespace sonacli
