// A file descriptor as FFmpeg's I/O context, for the muxers to write and the demuxer to read. The
// program's own reads and writes: names are never parsed as URLs, and a failed write keeps its
// errno, so that a full disk is told apart from a failure of the libraries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct AVIOContext;

namespace sonacli {

class TAvioFile {
  // Only the makers below construct one.
  struct TKey {
    explicit TKey() = default;
  };

 public:
  // Creates or empties a file to write; it can seek. Null with errno set when it cannot be made.
  static std::unique_ptr<TAvioFile> CreateForWriting(std::u16string_view fileName);
  // Opens a file to read; it can seek. Null with errno set when it cannot be opened.
  static std::unique_ptr<TAvioFile> OpenForReading(std::u16string_view fileName);
  // Writes to a descriptor it neither owns nor seeks in (a pipe, standard output), through a
  // buffer of at least `bufferBytes`: a muxer can still go back within what the buffer holds. Null
  // when FFmpeg has no memory for it.
  static std::unique_ptr<TAvioFile> ForStream(int fd, size_t bufferBytes);

  TAvioFile(TKey, int fd, bool ownsFd, bool writing, bool seekable, size_t bufferBytes);
  ~TAvioFile();
  TAvioFile(const TAvioFile&) = delete;
  TAvioFile& operator=(const TAvioFile&) = delete;

  AVIOContext* Context() const { return context_; }
  // The errno of the first failed write or close; 0 while all went well. After a failed write
  // every later one fails too, so that the file never holds a gap.
  int WriteError() const { return writeError_; }
  // Writes what is buffered and closes the descriptor when it owns it; false when a write or the
  // close ever failed. Further calls do nothing.
  bool Close();

 private:
  static std::unique_ptr<TAvioFile> Make(int fd, bool ownsFd, bool writing, bool seekable,
                                         size_t bufferBytes);
  bool Allocate();
  static int ReadPacket(void* opaque, uint8_t* buffer, int size);
  static int WritePacket(void* opaque, uint8_t* buffer, int size);
  static int64_t Seek(void* opaque, int64_t offset, int whence);

  int fd_;
  bool ownsFd_;
  bool writing_;
  bool seekable_;
  size_t bufferBytes_;
  bool closed_ = false;
  int writeError_ = 0;
  AVIOContext* context_ = nullptr;
};

}  // namespace sonacli
