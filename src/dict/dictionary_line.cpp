#include "dict/dictionary_line.h"

#include <algorithm>

#include "platform/text_file.h"

namespace sonacli {

bool ReadDictionaryLines(std::u16string_view fileName, std::vector<std::u16string>& lines, int ansiCodePage) {
  lines.clear();
  if (!ReadTextLines(fileName, lines, ansiCodePage)) return false;
  const bool binary = std::any_of(lines.begin(), lines.end(), [](const std::u16string& line) {
    return line.find(u'\0') != std::u16string::npos;
  });
  if (binary) lines.clear();
  return !binary;
}

}  // namespace sonacli
