// File descriptors: their owner, and reads and writes that go on until every byte is through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sonacli {

// Owns an open descriptor and closes it when it goes; -1 stands for none.
class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor();
  TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(other.Release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int Release();
  // Closes it now; false when close fails (a delayed write error shows here).
  bool Close();

 private:
  int fd_ = -1;
};

// Writes all bytes, going on after partial writes and interruptions; false on any failure, with
// errno telling which (EPIPE: the reader of a pipe went away, once IgnoreBrokenPipe was called).
bool WriteAll(int fd, std::string_view bytes);
// The same at an offset of a file, leaving the file position alone (pwrite).
bool WriteAllAt(int fd, std::string_view bytes, uint64_t offset);
// Reads exactly `count` bytes at an offset (pread); false on a failure or an early end.
bool ReadAllAt(int fd, char* bytes, size_t count, uint64_t offset);

// From the first call on, a write into a pipe whose reader has gone fails with EPIPE instead of
// ending the process with SIGPIPE.
void IgnoreBrokenPipe();
// From the call on, a write beyond the process's file-size limit (ulimit -f) fails with EFBIG,
// like a write to a full disk, instead of ending the process with SIGXFSZ and leaving its files
// unfinished.
void IgnoreFileSizeLimitSignal();

}  // namespace sonacli
