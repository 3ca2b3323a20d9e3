#include "audio/sound_touch.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>

#include "audio/audio_error.h"

namespace sonacli {

namespace {

constexpr float kSampleScale = 32768.0f;

int16_t ToInt16(float sample) {
  return static_cast<int16_t>(std::clamp(std::lrint(sample * kSampleScale), -32768L, 32767L));
}

}  // namespace

TSoundTouch::TSoundTouch() : instance_(std::make_unique<soundtouch::SoundTouch>()) {
  instance_->setSampleRate(static_cast<uint32_t>(std::lrint(sampleRate_)));
  instance_->setChannels(channels_);
}

TSoundTouch::~TSoundTouch() = default;

void TSoundTouch::SetSampleRate(float sampleRate) {
  if (sampleRate == sampleRate_) return;
  const long rounded = std::lrint(sampleRate);
  if (!(sampleRate > 0) || rounded <= 0) throw TAudioError("Wrong sample rate for tempo change");
  sampleRate_ = sampleRate;
  instance_->setSampleRate(static_cast<uint32_t>(rounded));
}

void TSoundTouch::SetChannels(uint32_t channels) {
  if (channels == channels_) return;
  if (channels != 1 && channels != 2) throw TAudioError("Wrong number of channels for tempo change");
  channels_ = channels;
  instance_->setChannels(channels);
}

void TSoundTouch::SetTempo(float tempo) {
  if (tempo == tempo_) return;
  tempo_ = tempo;
  instance_->setTempo(tempo);
}

void TSoundTouch::PutSamples(const int16_t* samples, uint32_t frames) {
  floats_.resize(static_cast<size_t>(frames) * channels_);
  std::transform(samples, samples + floats_.size(), floats_.begin(),
                 [](int16_t sample) { return static_cast<float>(sample) / kSampleScale; });
  instance_->putSamples(floats_.data(), frames);
}

uint32_t TSoundTouch::ReceiveSamples(int16_t* samples, uint32_t maxFrames) {
  floats_.resize(static_cast<size_t>(maxFrames) * channels_);
  const uint32_t frames = instance_->receiveSamples(floats_.data(), maxFrames);
  std::transform(floats_.begin(), floats_.begin() + static_cast<size_t>(frames) * channels_, samples,
                 ToInt16);
  return frames;
}

void TSoundTouch::Flush() {
  instance_->flush();
}

void TSoundTouch::Clear() {
  instance_->clear();
}

}  // namespace sonacli
