// What the encoded-output tests make and measure: speech-like PCM made in code, real JPEG and PNG
// images made by FFmpeg's encoders, and an encoded file read back and decoded with libavformat
// and libavcodec as a player would.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sonacli::testing {

// Interleaved 16-bit PCM that behaves like speech for a codec: a voiced tone with a gliding pitch
// and harmonics up to 0.4 x the rate, syllables and pauses. In stereo the voice is panned left
// (the right channel at 0.4 of the left), as the program places a voice, so that a swap would show.
std::vector<int16_t> SpeechLike(int rate, int channels, double seconds);

// An image (a gradient; with `noisy` a pattern that hardly compresses), encoded by FFmpeg's PNG or
// JPEG encoder.
std::string MakePng(int width, int height, bool noisy = false);
std::string MakeJpeg(int width, int height);

struct TReadChapter {
  std::string Title;
  double StartSeconds = 0;
  double EndSeconds = 0;
};

// An encoded file as libavformat reads it and libavcodec decodes it.
struct TReadBack {
  bool Opened = false;
  std::string Codec;      // "opus", "mp3", "aac", "flac"
  int StreamRate = 0;     // the stream's rate (48000 for every Ogg Opus stream)
  int OpusInputRate = 0;  // the input rate an Ogg Opus header announces
  int Channels = 0;
  // The stream's, else the container's, from its start time on: libavformat starts an MP3 stream
  // after the encoder's delay, which its duration includes.
  double DurationSeconds = 0;
  int64_t DurationSamples = -1;  // the stream's, in its own rate; -1 when unknown
  std::vector<TReadChapter> Chapters;
  std::map<std::string, std::string> Tags;  // the container's and the audio stream's
  std::string Cover;                        // the attached picture's bytes
  // Decoded, interleaved, at StreamRate, scaled to -1..1. libavcodec drops what the container
  // marks as priming and padding, but for the padding of MP4, where it hands out the whole last
  // AAC frame: that is cut at the length the edit list gives, as a gapless player does.
  std::vector<float> Samples;
  int64_t DecodedFrames = 0;  // sample frames decoded, before that cut
  int DecodeErrors = 0;       // packets or frames the decoder refused (it is told to refuse damage)
};

TReadBack ReadBack(const std::string& fileName);

// The PCM as floats in -1..1.
std::vector<float> ToFloat(const std::vector<int16_t>& samples);
// Interleaved floats from one rate to another (libsoxr, high quality, delay compensated).
std::vector<float> Resample(const std::vector<float>& samples, int channels, int fromRate, int toRate);
// Normalised correlation of two signals over their common length, `b` shifted by `lag` samples
// of every channel (interleaved, `channels` each).
double Correlation(const std::vector<float>& a, const std::vector<float>& b, int channels, int lag = 0);

}  // namespace sonacli::testing
