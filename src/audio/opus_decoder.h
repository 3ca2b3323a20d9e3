// Decoding the service's Ogg Opus answers into PCM of the run's output format: the decode step of
// every answer.
#pragma once

#include <cstdint>
#include <string>

#include "audio/audio_converter.h"
#include "audio/audio_source.h"

namespace sonacli {

// The format the run asks of every answer: its rate, and two channels or the answer's own.
struct TSpeechTarget {
  int32_t SampleRate = 24000;
  bool Stereo = false;
};

// What a piece changes in its answer: the volume in percent (0 unchanged), and which side a mono
// answer takes in a stereo output.
struct TVolumeAndChannel {
  int32_t VolumeDelta = 0;
  TMSConverterMode ChannelMode = TMSConverterMode::msmMonoToBoth;
};

// One answer's speech: 16-bit PCM, interleaved, little-endian, without a header.
struct TDecodedSpeech {
  TAudioFormat Format;
  std::string Pcm;
};

// Decodes one answer into `speech`: the volume change, then, unless the target is 48000 Hz mono,
// resampling to its rate and, for a stereo target, two channels by the channel mode. A 48000 Hz
// mono target keeps the answer's channels. False, with `speech` empty, for an answer without a
// decodable Ogg Opus stream (not Ogg, not openable, chained), at every rate; a stream that holds no
// samples gives no samples. Conversion errors raise TAudioError.
bool DecodeOpusAnswer(const std::string& answer, const TSpeechTarget& target, const TVolumeAndChannel& piece,
                      TDecodedSpeech& speech);

// Decodes into `out` as a 48000 Hz 16-bit WAV (header length from the stream's total). False when
// libopusfile rejects the bytes; true with nothing written when it cannot open them or the stream
// is chained.
bool OpusToWav(const std::string& answer, std::string& out);
// OpusToWav, then the volume change in percent (clamped to -32767..32767).
bool OpusToWavWithVolume(const std::string& answer, std::string& out, int32_t volumeDelta);

// Writes the 44-byte 16-bit PCM header at the start of the stream.
void WriteOpusWavHeader(std::string& stream, int32_t sampleRate, int32_t channels, uint32_t dataBytes);

}  // namespace sonacli
