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

// Reads a text file as lines: a UTF-8, UTF-16LE or UTF-16BE byte-order mark selects the encoding,
// otherwise the system ANSI code page; lines end at CR LF, CR or LF. False when unreadable.
bool ReadTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines);

}  // namespace sonacli
