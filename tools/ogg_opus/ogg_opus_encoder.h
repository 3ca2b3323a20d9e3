// Ogg Opus made with libopusenc from 16-bit samples at 48000 Hz: the stand-in service's speech,
// and the test and benchmark audio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonacli {

struct OggOpusOptions {
  int Channels = 1;
  int Links = 1;          // more than 1 chains the same samples once per link
  int BitRate = 0;        // bits per second; 0 leaves libopusenc's choice
  std::string Title;      // a TITLE comment when not empty
  int OutputGain = 0;     // the header's output gain, in 1/256 dB
  int MappingFamily = 0;  // 0 takes one or two channels in one stream; 1 up to eight in several
  // The Ogg stream's serial number; 0 leaves libopusenc's random choice. A fixed one makes the
  // same samples give the same bytes (the decoder's dither is seeded from it).
  int32_t SerialNumber = 0;
};

// The Ogg Opus stream of the interleaved samples; empty when libopusenc fails.
std::string EncodeOggOpus(const std::vector<int16_t>& samples, const OggOpusOptions& options = {});

}  // namespace sonacli
