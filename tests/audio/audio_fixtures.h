// Real audio made in the tests: sines of known frequency and level, encoded as Ogg Opus with
// libopusenc or written as WAV/MP3 files with libsndfile, and measures of what comes back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonacli::testing {

// Interleaved 16-bit sine, the same in every channel.
std::vector<int16_t> MakeSine(int rate, int channels, double frequency, double amplitude, double seconds);

// Ogg Opus (48000 Hz input) of the samples; `links` > 1 chains the samples once per link.
std::string EncodeOpus(const std::vector<int16_t>& samples, int channels, int links = 1);

// The samples as 16-bit little-endian PCM bytes.
std::string MakePcmBytes(const std::vector<int16_t>& samples);
// A canonical WAV held in memory.
std::string MakeWavBytes(const std::vector<int16_t>& samples, int rate, int channels);

// A sound file written by libsndfile (format: SF_FORMAT_* major | subtype) from 16-bit samples.
bool WriteSoundFile(const std::string& fileName, int format, const std::vector<int16_t>& samples, int rate,
                    int channels);

// The 16-bit samples of channel `channel` from a canonical WAV held in memory.
std::vector<int16_t> ChannelSamples(const std::string& wav, int channels, int channel);

// Frequency from the rising zero crossings of the middle half of the samples.
double MeasureFrequency(const std::vector<int16_t>& samples, int rate);
// Root mean square of the middle half of the samples.
double MeasureRms(const std::vector<int16_t>& samples);

}  // namespace sonacli::testing
