#include "platform/text_file.h"

#include <fstream>
#include <iterator>

#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace sonacli {

bool ReadFileBytes(std::u16string_view fileName, std::string& bytes) {
  if (FolderExists(fileName)) return false;  // a folder opens like a file but reads nothing
  std::ifstream in(NativePath(fileName), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFileBytes(std::u16string_view fileName, std::string_view bytes) {
  std::ofstream out(NativePath(fileName), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool ReadTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines) {
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes)) return false;
  lines = SplitIntoLines(DecodeTextFile(bytes));
  return true;
}

}  // namespace sonacli
