// Decoding the service's Ogg Opus answers into canonical WAVs in the run's output format.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli {

// Decodes one answer into `out` (emptied first): volume change, then, unless the output is 48000 Hz
// mono, resampling to `sampleRate` and with `stereo` two channels by `channelMode` ("MonoToBoth",
// "MonoToLeft", "MonoToRight"). True when `out` holds the WAV; false, with `out` empty, for an
// answer without a decodable Ogg Opus stream, at every rate. Conversion errors raise TAudioError.
bool DecodeOpusAnswer(const std::string& answer, std::string& out, int32_t volumeDelta, int32_t sampleRate,
                      const std::u16string& channelMode, bool stereo);

// Decodes into `out` as a 48000 Hz 16-bit WAV (header length from the stream's total). False when
// libopusfile rejects the bytes; true with nothing written when it cannot open them or the stream
// is chained.
bool OpusToWav(const std::string& answer, std::string& out);
// OpusToWav, then the volume change in percent (clamped to -32767..32767).
bool OpusToWavWithVolume(const std::string& answer, std::string& out, int32_t volumeDelta);

// Writes the 44-byte 16-bit PCM header at the start of the stream.
void WriteOpusWavHeader(std::string& stream, int32_t sampleRate, int32_t channels, uint32_t dataBytes);

}  // namespace sonacli
