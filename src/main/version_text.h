// The text printed for --version: the program's version, then the libraries it runs with.
#pragma once

#include <string>
#include <vector>

namespace sonacli {

// "sonacli <version>", then one line per library: its name and its version, as the library
// reports it at run time where it can.
std::vector<std::string> VersionLines();
// Writes the version text to standard output.
void PrintVersion();

}  // namespace sonacli
