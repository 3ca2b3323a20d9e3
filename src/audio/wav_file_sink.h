// A WAV file: the header before the first samples, the samples written as they come, and the
// sizes filled in at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/pcm_sink.h"
#include "platform/descriptor.h"

namespace sonacli {

class TWavFileSink final : public TPcmSink {
  struct TKey {
    explicit TKey() = default;
  };

 public:
  // Creates the file (emptied when it exists); null when it cannot be created. Data beyond
  // `plainWavLimit` bytes, which the 32-bit sizes cannot describe, make it an RF64 file at the end.
  static std::unique_ptr<TWavFileSink> Create(std::u16string_view fileName, const TAudioFormat& format,
                                              uint64_t plainWavLimit);

  TWavFileSink(TKey, const TAudioFormat& format, TFileDescriptor file, uint64_t plainWavLimit);

 private:
  bool Start() override;
  // Fills in the sizes (or makes the file RF64, its samples moved back to make room for the larger
  // header) and closes it. After a failed write the file keeps what reached the disk, cut to whole
  // frames, with sizes that match it. A file with nothing appended stays empty. False when no
  // valid file could be made.
  bool Complete() override;

  TFileDescriptor file_;
  uint64_t plainWavLimit_;
};

}  // namespace sonacli
