// What the WAV and raw PCM sinks share: the samples pass on unchanged into a descriptor (or into a
// buffer held for it), and the first failure ends the writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "audio/audio_sink.h"

namespace sonacli {

class TPcmSink : public TAudioSink {
 public:
  bool Append(std::string_view pcm) final;
  int64_t Frames() const final;
  bool Finish() final;
  // "Failed to save audio file" after any failure.
  std::u16string Error() const final;
  int WriteError() const final { return writeError_; }

 protected:
  // `fd` is not owned here.
  TPcmSink(const TAudioFormat& format, int fd) : TAudioSink(format), fd_(fd) {}

  // Before the first PCM (even an empty piece): a WAV header, for instance. False when it failed.
  virtual bool Start() { return true; }
  // Takes the PCM: written at once unless overridden.
  virtual bool Put(std::string_view pcm) { return Write(pcm); }
  // The work of Finish, run once; true unless overridden.
  virtual bool Complete() { return true; }

  // Writes all bytes to the descriptor; after a failure, or once finished, nothing more. A failure
  // is kept with its errno.
  bool Write(std::string_view bytes);
  int Descriptor() const { return fd_; }
  // Whether anything was appended, that is, whether the output has begun.
  bool Started() const { return started_; }
  // Bytes that reached the descriptor so far.
  uint64_t Written() const { return written_; }
  uint64_t PcmBytes() const { return pcmBytes_; }

 private:
  int fd_;
  uint64_t written_ = 0;
  uint64_t pcmBytes_ = 0;
  int writeError_ = 0;
  bool started_ = false;
  bool failed_ = false;
  bool finished_ = false;
  bool complete_ = false;
};

}  // namespace sonacli
