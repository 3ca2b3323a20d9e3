#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "platform/random.h"
#include "platform/text_codec.h"

namespace sonacli {

namespace {

// Closes the descriptor when the read ends, however it ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

TInputTooLarge::TInputTooLarge(std::u16string_view name)
    : std::runtime_error("Too large to read: " + NativePath(name)) {}

bool ReadFileBytes(std::u16string_view fileName, std::string& bytes, size_t maxBytes) {
  if (FolderExists(fileName)) return false;  // a folder opens like a file but reads nothing
  // Not blocking: opening a FIFO that no one writes to, or reading a terminal, would wait for ever;
  // a source that has nothing to give at once (EAGAIN) fails the read instead.
  const FileDescriptor file(::open(NativePath(fileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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

namespace {

// Writes all bytes to the descriptor; false on any failure.
bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// A new hidden file beside the target, created with the usual permissions (0666 less the umask);
// its name is in `name`. -1 when none can be made.
int CreateBeside(const std::string& target, std::string& name) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "." + base + "." + std::to_string(RandomInt(1000000000)) + ".tmp";
    const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

}  // namespace

bool WriteFileBytes(std::u16string_view fileName, std::string_view bytes) {
  // Written under another name and renamed over the target, so that a failed write never leaves a
  // torn file, and a FIFO at the name is replaced instead of keeping the run waiting for a reader.
  const std::string target = NativePath(fileName);
  std::string temporary;
  const int descriptor = CreateBeside(target, temporary);
  if (descriptor < 0) return false;
  const bool written = WriteAll(descriptor, bytes);
  const bool closed = close(descriptor) == 0;
  if (written && closed && rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

bool ReadTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines) {
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes, kMaxSettingsFileBytes)) return false;
  lines = SplitIntoLines(DecodeTextFile(bytes));
  return true;
}

}  // namespace sonacli
