#include "audio_fixtures.h"

#include <sndfile.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "audio/wav_header.h"
#include "ogg_opus/ogg_opus_encoder.h"

namespace sonacli::testing {

std::vector<int16_t> MakeSine(int rate, int channels, double frequency, double amplitude, double seconds) {
  const auto frames = static_cast<size_t>(std::lround(rate * seconds));
  std::vector<int16_t> samples;
  samples.reserve(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    const double value = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
    for (int c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(std::lround(value)));
  }
  return samples;
}

std::string EncodeOpus(const std::vector<int16_t>& samples, int channels, int links) {
  return EncodeOggOpus(samples, {.Channels = channels, .Links = links, .BitRate = 96000, .Title = ""});
}

std::string MakePcmBytes(const std::vector<int16_t>& samples) {
  std::string pcm;
  for (int16_t s : samples) {
    pcm.push_back(static_cast<char>(static_cast<uint16_t>(s) & 0xFF));
    pcm.push_back(static_cast<char>(static_cast<uint16_t>(s) >> 8));
  }
  return pcm;
}

std::string MakeWavBytes(const std::vector<int16_t>& samples, int rate, int channels) {
  return MakeWavHeader(rate, channels, 16, samples.size() * 2) + MakePcmBytes(samples);
}

bool WriteSoundFile(const std::string& fileName, int format, const std::vector<int16_t>& samples, int rate,
                    int channels) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(fileName.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const sf_count_t frames = static_cast<sf_count_t>(samples.size() / channels);
  const bool ok = sf_writef_short(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && ok;
}

std::vector<int16_t> ChannelSamples(const std::string& wav, int channels, int channel) {
  std::vector<int16_t> samples;
  for (size_t pos = kWavHeaderSize + 2 * channel; pos + 1 < wav.size(); pos += 2 * channels) {
    samples.push_back(static_cast<int16_t>(GetUint16(wav, pos)));
  }
  return samples;
}

double MeasureFrequency(const std::vector<int16_t>& samples, int rate) {
  const size_t begin = samples.size() / 4;
  const size_t end = samples.size() * 3 / 4;
  size_t first = 0;
  size_t last = 0;
  int crossings = 0;
  for (size_t i = begin + 1; i < end; ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

double MeasureRms(const std::vector<int16_t>& samples) {
  const size_t begin = samples.size() / 4;
  const size_t end = samples.size() * 3 / 4;
  double sum = 0;
  for (size_t i = begin; i < end; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0;
}

}  // namespace sonacli::testing
