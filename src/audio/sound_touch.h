// The tempo processor: SoundTouch changes the speed of speech without changing its pitch.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

namespace sonacli {

// Owns one SoundTouch instance (44100 Hz, mono, tempo 1 at creation). The library works on float
// samples; the 16-bit samples are converted on the way in and out. Counts are in frames.
class TSoundTouch {
 public:
  TSoundTouch();
  ~TSoundTouch();
  TSoundTouch(const TSoundTouch&) = delete;
  TSoundTouch& operator=(const TSoundTouch&) = delete;

  // Each setter passes its value on only when it differs from the one in force.
  // Throws TAudioError for a rate that is not above 0.
  void SetSampleRate(float sampleRate);
  // Throws TAudioError for anything but 1 or 2 channels.
  void SetChannels(uint32_t channels);
  void SetTempo(float tempo);

  void PutSamples(const int16_t* samples, uint32_t frames);
  // Takes up to `maxFrames` processed frames; returns how many.
  uint32_t ReceiveSamples(int16_t* samples, uint32_t maxFrames);
  // Pushes out what the processor still holds, so that ReceiveSamples yields the whole input.
  void Flush();
  void Clear();

 private:
  std::unique_ptr<soundtouch::SoundTouch> instance_;
  float sampleRate_ = 44100.0f;
  uint32_t channels_ = 1;
  float tempo_ = 1.0f;
  std::vector<float> floats_;
};

}  // namespace sonacli
