// The version of uchardet, for --version.
#pragma once

#include <string>

namespace sonacli {

// uchardet has no call that tells its version, so this is the version of the package the program
// was built with, marked as such: "0.0.7 (at build time)".
std::string UchardetVersion();

}  // namespace sonacli
