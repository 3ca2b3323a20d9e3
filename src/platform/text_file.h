// Whole-file reads and writes, and text files read as lists of lines.
#pragma once

#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// No configuration, list or dictionary file comes near this; a larger one is no such file (or an
// endless device such as /dev/zero) and would only exhaust the memory.
inline constexpr size_t kMaxSettingsFileBytes = size_t{64} << 20;

// A file or stream longer than its reader allows; the text is the program's message, in UTF-8.
class TInputTooLarge : public std::runtime_error {
 public:
  explicit TInputTooLarge(std::u16string_view name);
};

// Reads the whole file; false when it cannot be opened or read. Throws TInputTooLarge when it holds
// more than maxBytes bytes, without reading further.
bool ReadFileBytes(std::u16string_view fileName, std::string& bytes,
                   size_t maxBytes = std::numeric_limits<size_t>::max());
// Creates or replaces the file with the bytes, all at once: until the new file is complete the
// old one stays as it was. False on any failure.
bool WriteFileBytes(std::u16string_view fileName, std::string_view bytes);

// Reads a text file as lines, decoded by DecodeTextFile with the ANSI code page; lines end at
// CR LF, CR or LF. False when the file cannot be read; TInputTooLarge above kMaxSettingsFileBytes.
bool ReadTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines, int ansiCodePage);

}  // namespace sonacli
