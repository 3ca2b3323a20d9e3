#include "audio/fit_to_duration.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "audio/audio_error.h"
#include "audio/sound_touch.h"
#include "audio/wav_header.h"

namespace sonacli {

namespace {

constexpr int64_t kMinFittedMs = 200;
constexpr float kMaxTempo = 1.8f;
constexpr int32_t kLowestMaxPercent = 110;
constexpr int32_t kHighestMaxPercent = 200;

float TempoLimit(int32_t maxRatePercent) {
  const int32_t percent = std::clamp(maxRatePercent, kLowestMaxPercent, kHighestMaxPercent);
  return static_cast<float>((percent - kLowestMaxPercent) * 0.0084 + 1.05);
}

std::vector<int16_t> ReadSamples(const std::string& pcm) {
  std::vector<int16_t> samples(pcm.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(GetUint16(pcm, 2 * i));
  return samples;
}

// The whole speech through the tempo processor; empty when it yields nothing.
std::string ChangeTempo(const std::string& pcm, float tempo, int32_t sampleRate, int32_t channels) {
  std::vector<int16_t> samples = ReadSamples(pcm);
  const auto frames = static_cast<uint32_t>(samples.size() / static_cast<size_t>(channels));
  TSoundTouch processor;
  processor.SetSampleRate(static_cast<float>(sampleRate));
  processor.SetChannels(static_cast<uint32_t>(channels));
  processor.SetTempo(tempo);
  processor.PutSamples(samples.data(), frames);
  // Flushed before collecting, or the processor keeps the end of the speech.
  processor.Flush();
  std::string out;
  while (const uint32_t received = processor.ReceiveSamples(samples.data(), frames)) {
    const size_t count = static_cast<size_t>(received) * static_cast<size_t>(channels);
    for (size_t i = 0; i < count; ++i) {
      const auto sample = static_cast<uint16_t>(samples[i]);
      out.push_back(static_cast<char>(sample & 0xFF));
      out.push_back(static_cast<char>(sample >> 8));
    }
  }
  return out;
}

}  // namespace

bool FitToDuration(std::string& pcm, int64_t availableMs, int32_t sampleRate, int32_t maxRatePercent,
                   int32_t bitsPerSample, int32_t channels) {
  if (availableMs <= kMinFittedMs) return false;
  if (bitsPerSample != 16 || sampleRate <= 0 || (channels != 1 && channels != 2) || pcm.empty()) return false;
  const int64_t speechMs =
      static_cast<int64_t>(pcm.size()) * 8000 / (int64_t{bitsPerSample} * sampleRate * channels);
  if (speechMs <= kMinFittedMs) return false;
  const auto allowedMs = static_cast<int64_t>(std::nearbyint(static_cast<double>(availableMs) * 1.02));
  if (allowedMs >= speechMs) return true;
  float tempo = static_cast<float>(static_cast<double>(speechMs) / static_cast<double>(allowedMs));
  tempo = std::min({tempo, kMaxTempo, TempoLimit(maxRatePercent)});
  // The format was checked above, so the processor has no reason to fail but memory; should it fail
  // all the same, speech left unfitted would run into the next subtitle unseen: it is an error.
  std::string fitted;
  try {
    fitted = ChangeTempo(pcm, tempo, sampleRate, channels);
  } catch (const std::runtime_error& error) {
    throw TAudioError(std::string("Tempo change failed: ") + error.what());
  }
  if (fitted.empty()) throw TAudioError("Tempo change failed: no audio came out");
  pcm = std::move(fitted);
  return true;
}

}  // namespace sonacli
