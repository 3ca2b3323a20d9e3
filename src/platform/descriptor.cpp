#include "platform/descriptor.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <mutex>

namespace sonacli {

TFileDescriptor::~TFileDescriptor() {
  Close();
}

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int TFileDescriptor::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool TFileDescriptor::Close() {
  if (fd_ < 0) return true;
  // Linux releases the descriptor even when close fails, EINTR included: it is never retried.
  return ::close(Release()) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool WriteAllAt(int fd, std::string_view bytes, uint64_t offset) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

bool ReadAllAt(int fd, char* bytes, size_t count, uint64_t offset) {
  while (count > 0) {
    const ssize_t got = ::pread(fd, bytes, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    count -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

void IgnoreBrokenPipe() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

void IgnoreFileSizeLimitSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace sonacli
