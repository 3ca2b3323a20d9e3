// Whole-file reads and writes, and text files read as lists of lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// Reads the whole file; false when it cannot be opened or read.
bool ReadFileBytes(std::u16string_view fileName, std::string& bytes);
// Creates or replaces the file with the bytes; false on any failure.
bool WriteFileBytes(std::u16string_view fileName, std::string_view bytes);

// Reads a text file as lines, decoded by DecodeTextFile; lines end at CR LF, CR or LF.
// False when the file cannot be read.
bool ReadTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines);

}  // namespace sonacli
