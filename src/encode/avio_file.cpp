#include "encode/avio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include "platform/file_system.h"

namespace sonacli {
namespace {

constexpr size_t kBufferBytes = size_t{1} << 16;

}  // namespace

std::unique_ptr<TAvioFile> TAvioFile::CreateForWriting(std::u16string_view fileName) {
  const int fd = ::open(NativePath(fileName).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return Make(fd, true, true, true, kBufferBytes);
}

std::unique_ptr<TAvioFile> TAvioFile::OpenForReading(std::u16string_view fileName) {
  const int fd = ::open(NativePath(fileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return Make(fd, true, false, true, kBufferBytes);
}

std::unique_ptr<TAvioFile> TAvioFile::ForStream(int fd, size_t bufferBytes) {
  return Make(fd, false, true, false, std::max(bufferBytes, kBufferBytes));
}

std::unique_ptr<TAvioFile> TAvioFile::Make(int fd, bool ownsFd, bool writing, bool seekable,
                                           size_t bufferBytes) {
  if (bufferBytes > INT_MAX) {
    errno = ENOMEM;
    return nullptr;
  }
  auto file = std::make_unique<TAvioFile>(TKey{}, fd, ownsFd, writing, seekable, bufferBytes);
  if (!file->Allocate()) file.reset();
  return file;
}

TAvioFile::TAvioFile(TKey, int fd, bool ownsFd, bool writing, bool seekable, size_t bufferBytes)
    : fd_(fd), ownsFd_(ownsFd), writing_(writing), seekable_(seekable), bufferBytes_(bufferBytes) {}

bool TAvioFile::Allocate() {
  auto* buffer = static_cast<unsigned char*>(av_malloc(bufferBytes_));
  if (buffer == nullptr) {
    errno = ENOMEM;
    return false;
  }
  context_ = avio_alloc_context(buffer, static_cast<int>(bufferBytes_), writing_ ? 1 : 0, this,
                                writing_ ? nullptr : ReadPacket, writing_ ? WritePacket : nullptr,
                                seekable_ ? Seek : nullptr);
  if (context_ == nullptr) {
    av_free(buffer);
    errno = ENOMEM;
    return false;
  }
  context_->seekable = seekable_ ? AVIO_SEEKABLE_NORMAL : 0;
  return true;
}

TAvioFile::~TAvioFile() {
  if (context_ != nullptr) {
    // The context may have replaced the buffer it was given; it frees neither.
    av_freep(&context_->buffer);
    avio_context_free(&context_);
  }
  if (ownsFd_ && fd_ >= 0) ::close(fd_);
}

bool TAvioFile::Close() {
  if (closed_) return writeError_ == 0;
  closed_ = true;
  if (writing_ && context_ != nullptr) avio_flush(context_);
  if (ownsFd_) {
    if (::close(fd_) != 0 && writeError_ == 0 && writing_) writeError_ = errno;
    fd_ = -1;
  }
  return writeError_ == 0;
}

int TAvioFile::ReadPacket(void* opaque, uint8_t* buffer, int size) {
  auto* file = static_cast<TAvioFile*>(opaque);
  ssize_t count = 0;
  do {
    count = ::read(file->fd_, buffer, static_cast<size_t>(size));
  } while (count < 0 && errno == EINTR);
  if (count < 0) return AVERROR(errno);
  return count == 0 ? AVERROR_EOF : static_cast<int>(count);
}

int TAvioFile::WritePacket(void* opaque, uint8_t* buffer, int size) {
  auto* file = static_cast<TAvioFile*>(opaque);
  if (file->writeError_ != 0) return AVERROR(file->writeError_);
  size_t done = 0;
  while (done < static_cast<size_t>(size)) {
    const ssize_t count = ::write(file->fd_, buffer + done, static_cast<size_t>(size) - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      file->writeError_ = count < 0 ? errno : EIO;
      return AVERROR(file->writeError_);
    }
    done += static_cast<size_t>(count);
  }
  return size;
}

int64_t TAvioFile::Seek(void* opaque, int64_t offset, int whence) {
  auto* file = static_cast<TAvioFile*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) {
    struct stat status {};
    return ::fstat(file->fd_, &status) == 0 ? static_cast<int64_t>(status.st_size) : AVERROR(errno);
  }
  const off_t position = ::lseek(file->fd_, static_cast<off_t>(offset), whence);
  return position < 0 ? AVERROR(errno) : static_cast<int64_t>(position);
}

}  // namespace sonacli
