// WAV writer stage: a canonical header with the announced length, then the chain's samples.
#pragma once

#include <string>

#include "audio/audio_source.h"

namespace sonacli {

class TWaveOut {
 public:
  explicit TWaveOut(std::string& target) : target_(target) {}

  // Starts the chain, writes the header (RIFF size = length + 36, data size = length), pulls blocks
  // of up to 16384 bytes until the chain ends, and pads with zero bytes up to the announced length.
  void Run(TAudioSource& input);

 private:
  std::string& target_;
};

// TWaveOut without the header: starts the chain and appends its samples to `target`, padded with
// zero bytes up to the announced length. Returns the chain's format.
TAudioFormat AppendSamples(TAudioSource& input, std::string& target);

}  // namespace sonacli
