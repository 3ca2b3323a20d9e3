#include "platform/replacing_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/file_system.h"

namespace sonacli {

namespace {

constexpr std::string_view kRandomPart = "XXXXXX";
constexpr int kAttempts = 100;
constexpr size_t kCopyBlock = size_t{1} << 20;

// Letters and digits from the system's generator, which any thread may use (the process's own
// generator belongs to the main thread). Without it, the clock and a counter still make names
// that O_EXCL sorts out.
std::string RandomLetters(size_t count) {
  static constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  std::array<unsigned char, 16> bytes{};
  if (::getrandom(bytes.data(), count, GRND_NONBLOCK) != static_cast<ssize_t>(count)) {
    uint64_t value = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                     (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    for (size_t i = 0; i < count; ++i, value >>= 8) bytes[i] = static_cast<unsigned char>(value);
  }
  std::string letters;
  for (size_t i = 0; i < count; ++i) letters += kLetters[bytes[i] % kLetters.size()];
  return letters;
}

// "." + the target's name + ".XXXXXX.tmp", in the target's folder.
std::string DefaultPattern(const std::string& target) {
  const size_t slash = target.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, nameStart) + "." + target.substr(nameStart) + "." + std::string(kRandomPart) +
         ".tmp";
}

bool CopyAll(int from, TReplacingFile& to) {
  std::vector<char> block(kCopyBlock);
  for (;;) {
    const ssize_t got = ::read(from, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!to.Write(std::string_view(block.data(), static_cast<size_t>(got)))) return false;
  }
}

// Whether a rename can take the file to `target`'s folder (an EXDEV still sends it to a copy).
bool OnTheFileSystemOf(const struct stat& file, const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  struct stat status {};
  return ::stat(folder.c_str(), &status) == 0 && status.st_dev == file.st_dev;
}

}  // namespace

TReplacingFile::TReplacingFile(TKey, std::string target, std::string temporary, TFileDescriptor file)
    : target_(std::move(target)), temporary_(std::move(temporary)), file_(std::move(file)) {}

std::unique_ptr<TReplacingFile> TReplacingFile::Create(const std::string& target, mode_t mode,
                                                       const std::string& temporaryPattern) {
  std::string name = temporaryPattern.empty() ? DefaultPattern(target) : temporaryPattern;
  const size_t at = name.rfind(kRandomPart);
  if (at == std::string::npos) return nullptr;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    name.replace(at, kRandomPart.size(), RandomLetters(kRandomPart.size()));
    TFileDescriptor file(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (file.IsOpen()) return std::make_unique<TReplacingFile>(TKey{}, target, name, std::move(file));
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

TReplacingFile::~TReplacingFile() {
  file_.Close();
  if (!committed_) ::unlink(temporary_.c_str());
}

bool TReplacingFile::Commit() {
  // On the disk before the rename: otherwise a crash could leave the new name on an empty file.
  const bool synced = ::fsync(file_.Get()) == 0;
  const bool closed = file_.Close();
  if (!synced || !closed || ::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  return true;
}

bool ReplaceFileContent(const std::string& target, std::string_view bytes, mode_t mode,
                        const std::string& temporaryPattern) {
  const std::unique_ptr<TReplacingFile> file = TReplacingFile::Create(target, mode, temporaryPattern);
  return file && file->Write(bytes) && file->Commit();
}

bool MoveFileReplacing(std::u16string_view from, std::u16string_view to) {
  const std::string source = NativePath(from);
  const std::string target = NativePath(to);
  const TFileDescriptor file(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (!file.IsOpen() || ::fstat(file.Get(), &status) != 0) return false;
  if (OnTheFileSystemOf(status, target)) {
    if (::fsync(file.Get()) != 0) return false;
    if (::rename(source.c_str(), target.c_str()) == 0) return true;
    if (errno != EXDEV) return false;
  }
  const std::unique_ptr<TReplacingFile> copy = TReplacingFile::Create(target, status.st_mode & 0777);
  if (!copy || !CopyAll(file.Get(), *copy) || !copy->Commit()) return false;
  ::unlink(source.c_str());
  return true;
}

}  // namespace sonacli
