// The exception that failures of FFmpeg's libraries raise in the encoded outputs, carrying the
// program's own message text (UTF-8). It is an audio error, so whoever handles those handles it.
#pragma once

#include "audio/audio_error.h"

namespace sonacli {

class TEncodeError : public TAudioError {
 public:
  using TAudioError::TAudioError;
};

}  // namespace sonacli
