// Channel and sample-width conversion stage, and the sample conversions it shares with the
// resampler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_source.h"

namespace sonacli {

enum class TMSConverterMode { msmMonoToBoth, msmMonoToLeft, msmMonoToRight };

// One little-endian sample of the given width to -1..1: 8-bit unsigned v / 128 - 1, 16-bit s / 32768,
// 24-bit s / 8388608, 32-bit s / 2147483648.
float SampleToFloat(const uint8_t* sample, int32_t bits);
// A float limited to -1..1 back to the width: 16-bit round(x x 32767), 24-bit floor(x x 8388607),
// 32-bit round(x x 2147483647), 8-bit floor((x + 1) x 128) within 0..255.
void FloatToSample(float value, uint8_t* sample, int32_t bits);

class TAudioConverter : public TAudioSource {
 public:
  explicit TAudioConverter(TAudioSource* input);

  void SetMode(TMSConverterMode mode) { mode_ = mode; }
  void SetOutChannels(int32_t channels) { outChannels_ = channels; }    // 0 keeps
  void SetOutBitsPerSample(int32_t bits) { outBitsPerSample_ = bits; }  // 0 keeps

  void Start() override;
  TAudioFormat Format() const override;
  // round(input length x (out bits x out channels) / (in bits x in channels)), whole output frames.
  int64_t Length() const override;
  size_t Read(uint8_t* buffer, size_t count) override;

 private:
  bool PassThrough() const;

  TAudioSource* input_;
  TMSConverterMode mode_ = TMSConverterMode::msmMonoToBoth;
  int32_t outChannels_ = 0;
  int32_t outBitsPerSample_ = 0;
  std::vector<uint8_t> inBlock_;
  std::vector<uint8_t> pending_;  // converted bytes not yet handed on
  size_t pendingPos_ = 0;
};

}  // namespace sonacli
