// The listing of languages, voices (each with its language), rates, volumes and tones printed for
// the option "-m".
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sonacli {

// The lines of the listing, without line ends.
std::vector<std::u16string> ValueListLines();
// Writes the listing as UTF-8 to the stream, every line ended by LF.
void PrintValueList(std::ostream& out);
// Writes the listing to standard output.
void PrintValueList();

}  // namespace sonacli
