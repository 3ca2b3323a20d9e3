// Raw PCM on a stream (standard output with --raw): the samples alone, passed on as they come.
#pragma once

#include "audio/pcm_sink.h"

namespace sonacli {

class TRawStreamSink final : public TPcmSink {
 public:
  // `fd` (standard output, a pipe) is not closed here.
  TRawStreamSink(const TAudioFormat& format, int fd) : TPcmSink(format, fd) {}
};

}  // namespace sonacli
