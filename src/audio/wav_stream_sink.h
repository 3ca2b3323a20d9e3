// A WAV on a stream (standard output): the header goes out before the first samples, and the
// stream owns the rule for its size fields.
#pragma once

#include <cstdint>
#include <string>

#include "audio/pcm_sink.h"

namespace sonacli {

class TWavStreamSink final : public TPcmSink {
 public:
  enum class TSizes {
    // The whole WAV is held until Finish, which writes it with both sizes filled in, or with an
    // RF64 header when the data exceed the plain limit.
    AtTheEnd,
    // Header and samples go out as they come, with both size fields 0 (--ignore-length): a
    // stream cannot go back to its start.
    Omitted,
  };

  // `fd` (standard output, a pipe) is not closed here. Data beyond `plainWavLimit` bytes, which
  // the 32-bit sizes cannot describe, get an RF64 header.
  TWavStreamSink(const TAudioFormat& format, int fd, TSizes sizes, uint64_t plainWavLimit);

 private:
  bool Start() override;
  bool Put(std::string_view pcm) override;
  bool Complete() override;

  TSizes sizes_;
  uint64_t plainWavLimit_;
  std::string held_;  // AtTheEnd: the samples until Finish
};

}  // namespace sonacli
