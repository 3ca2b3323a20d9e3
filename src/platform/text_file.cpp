#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "common/unicode_text.h"
#include "platform/descriptor.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "platform/text_codec.h"

namespace sonacli {

TInputTooLarge::TInputTooLarge(std::u16string_view name)
    : std::runtime_error("Too large to read: " + NativePath(name)) {}

bool ReadFileBytes(std::u16string_view fileName, std::string& bytes, size_t maxBytes) {
  if (FolderExists(fileName)) return false;  // a folder opens like a file but reads nothing
  // Not blocking: opening a FIFO that no one writes to, or reading a terminal, would wait for ever;
  // a source that has nothing to give at once (EAGAIN) fails the read instead.
  const TFileDescriptor file(::open(NativePath(fileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.Get() < 0) return false;
  bytes.clear();
  struct stat status {};
  if (::fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode)) {
    if (static_cast<uint64_t>(status.st_size) > maxBytes) throw TInputTooLarge(fileName);
    bytes.reserve(static_cast<size_t>(status.st_size));
  }
  std::array<char, 65536> block;
  for (;;) {
    const ssize_t got = ::read(file.Get(), block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    // Devices and pipes tell no size before they are read.
    if (static_cast<size_t>(got) > maxBytes - bytes.size()) throw TInputTooLarge(fileName);
    bytes.append(block.data(), static_cast<size_t>(got));
  }
}

bool WriteFileBytes(std::u16string_view fileName, std::string_view bytes) {
  // Replaced in one step, so that a failed write never leaves a torn file, and a FIFO at the name
  // is replaced instead of keeping the run waiting for a reader.
  return ReplaceFileContent(NativePath(fileName), bytes);
}

bool ReadTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines, int ansiCodePage) {
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes, kMaxSettingsFileBytes)) return false;
  lines = SplitIntoLines(DecodeTextFile(bytes, ansiCodePage));
  return true;
}

}  // namespace sonacli
