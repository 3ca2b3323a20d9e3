// The bitrate of the lossy outputs, in kbit/s: the defaults chosen for speech and the values each
// codec takes.
//
// Defaults (one speaking voice; in stereo output the voice is on both channels or on one):
//   Opus  32 mono, 64 stereo: libopus codes speech transparently well below this; at 48 stereo it
//         codes the channels jointly and the waveform drifts (correlation 0.988).
//   MP3   64 mono, 96 stereo (constant bitrate): LAME needs about twice Opus's rate for speech to
//         sound clean; at 8 and 11.025 kHz, where MPEG 2.5 ends at 64, stereo gets 64.
//   AAC   64 mono, 128 stereo: FFmpeg's own AAC-LC encoder, which needs this much to keep a voice
//         clean in stereo at 44.1 and 48 kHz; at 8 kHz, where an AAC frame holds at most 48 kbit/s
//         per channel, mono gets 48 and stereo 96.
//   FLAC  is lossless: it has no bitrate to choose.
// Ranges:
//   Opus  6 to 256 per channel (6 to 512 in stereo), as libopus takes them.
//   MP3   the steps of the MPEG version that the sample rate selects, as LAME codes them at a
//         constant bitrate: 32 to 320 at 32, 44.1 and 48 kHz; 8 to 160 at 16, 22.05 and 24 kHz;
//         8 to 64 at 8, 11.025 and 12 kHz.
//   AAC   16 to 320, and at most the 6 bits per sample and channel that an AAC frame can hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "encode/output_format.h"

namespace sonacli {

// The value given for a bitrate: a whole number of kbit/s from 1 up. False with the message for
// anything else ("0", "abc", "-5", "64k").
bool ParseBitrate(std::u16string_view text, int32_t& kbps, std::u16string& error);

// Whether the format's codec takes the bitrate at this sample rate (Hz) and channel count; 0
// stands for the default and always passes. FLAC, WAV and raw PCM take no bitrate at all. False
// with the message otherwise.
bool CheckBitrate(TOutputFormat format, int32_t sampleRate, int32_t channels, int32_t kbps,
                  std::u16string& error);

// The bitrate the format gets when none is given; 0 for the formats without one.
int32_t DefaultBitrate(TOutputFormat format, int32_t sampleRate, int32_t channels);

}  // namespace sonacli
