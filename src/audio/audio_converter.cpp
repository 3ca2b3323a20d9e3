#include "audio/audio_converter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/audio_error.h"

namespace sonacli {
namespace {

constexpr size_t kInputBlock = 16384;
constexpr float kQuietSide = 0.4f;

int32_t ReadSigned(const uint8_t* sample, int bytes) {
  uint32_t value = 0;
  for (int b = 0; b < bytes; ++b) value |= uint32_t{sample[b]} << (8 * (4 - bytes + b));
  return static_cast<int32_t>(value) >> (8 * (4 - bytes));  // arithmetic shift keeps the sign
}

void WriteSigned(int64_t value, uint8_t* sample, int bytes) {
  const auto bits = static_cast<uint32_t>(static_cast<int32_t>(value));
  for (int b = 0; b < bytes; ++b) sample[b] = static_cast<uint8_t>(bits >> (8 * b));
}

}  // namespace

float SampleToFloat(const uint8_t* sample, int32_t bits) {
  switch (bits) {
    case 8:
      return static_cast<float>(sample[0]) / 128.0f - 1.0f;
    case 24:
      return static_cast<float>(ReadSigned(sample, 3) / 8388608.0);
    case 32:
      return static_cast<float>(ReadSigned(sample, 4) / 2147483648.0);
    default:
      return static_cast<float>(ReadSigned(sample, 2)) / 32768.0f;
  }
}

void FloatToSample(float value, uint8_t* sample, int32_t bits) {
  const double x = std::clamp(static_cast<double>(value), -1.0, 1.0);
  switch (bits) {
    case 8:
      sample[0] = static_cast<uint8_t>(std::clamp(std::floor((x + 1.0) * 128.0), 0.0, 255.0));
      break;
    case 24:
      WriteSigned(static_cast<int64_t>(std::floor(x * 8388607.0)), sample, 3);
      break;
    case 32:
      WriteSigned(static_cast<int64_t>(std::nearbyint(x * 2147483647.0)), sample, 4);
      break;
    default:
      WriteSigned(static_cast<int64_t>(std::nearbyint(x * 32767.0)), sample, 2);
      break;
  }
}

TAudioConverter::TAudioConverter(TAudioSource* input) : input_(input) {}

bool TAudioConverter::PassThrough() const {
  return outChannels_ == 0 && outBitsPerSample_ == 0;
}

TAudioFormat TAudioConverter::Format() const {
  TAudioFormat format = input_->Format();
  // Any channel count maps to one or two; more than two are mixed down.
  const bool mappable = (outChannels_ == 1 || outChannels_ == 2) && format.Channels >= 1;
  if (mappable) format.Channels = outChannels_;
  if (outBitsPerSample_ != 0) format.BitsPerSample = outBitsPerSample_;
  return format;
}

int64_t TAudioConverter::Length() const {
  const int64_t inLength = input_->Length();
  if (inLength < 0 || PassThrough()) return inLength;
  const TAudioFormat in = input_->Format();
  const TAudioFormat out = Format();
  const auto length = static_cast<int64_t>(std::nearbyint(
      static_cast<double>(inLength) * (out.BitsPerSample * out.Channels) / (in.BitsPerSample * in.Channels)));
  return length - length % out.BlockAlign();
}

void TAudioConverter::Start() {
  if (input_ == nullptr) throw TAudioError("Input is not assigned");
  input_->Start();
  pending_.clear();
  pendingPos_ = 0;
}

size_t TAudioConverter::Read(uint8_t* buffer, size_t count) {
  if (PassThrough()) return input_->Read(buffer, count);
  const TAudioFormat in = input_->Format();
  const TAudioFormat out = Format();
  const size_t inAlign = static_cast<size_t>(in.BlockAlign());
  const size_t inSample = static_cast<size_t>(in.BitsPerSample / 8);
  const size_t outSample = static_cast<size_t>(out.BitsPerSample / 8);
  if (pendingPos_ == pending_.size()) {
    inBlock_.resize(kInputBlock - kInputBlock % inAlign);
    const size_t got = input_->Read(inBlock_.data(), inBlock_.size());
    const size_t frames = got / inAlign;
    pending_.resize(frames * static_cast<size_t>(out.BlockAlign()));
    pendingPos_ = 0;
    for (size_t f = 0; f < frames; ++f) {
      const uint8_t* source = &inBlock_[f * inAlign];
      uint8_t* target = &pending_[f * static_cast<size_t>(out.BlockAlign())];
      if (in.Channels == 1 && out.Channels == 2) {
        const float x = SampleToFloat(source, in.BitsPerSample);
        const float left = mode_ == TMSConverterMode::msmMonoToRight ? kQuietSide * x : x;
        const float right = mode_ == TMSConverterMode::msmMonoToLeft ? kQuietSide * x : x;
        FloatToSample(left, target, out.BitsPerSample);
        FloatToSample(right, target + outSample, out.BitsPerSample);
      } else if (in.Channels == 2 && out.Channels == 1) {
        const float left = SampleToFloat(source, in.BitsPerSample);
        const float right = SampleToFloat(source + inSample, in.BitsPerSample);
        FloatToSample((left + right) / 2, target, out.BitsPerSample);
      } else if (in.Channels > 2 && out.Channels <= 2) {
        // Without a known speaker layout every output channel gets the mean of all of them.
        float sum = 0;
        for (int c = 0; c < in.Channels; ++c) sum += SampleToFloat(source + c * inSample, in.BitsPerSample);
        for (int c = 0; c < out.Channels; ++c) {
          FloatToSample(sum / static_cast<float>(in.Channels), target + c * outSample, out.BitsPerSample);
        }
      } else {
        for (int c = 0; c < in.Channels; ++c) {
          FloatToSample(SampleToFloat(source + c * inSample, in.BitsPerSample), target + c * outSample,
                        out.BitsPerSample);
        }
      }
    }
  }
  const size_t part =
      std::min(count - count % static_cast<size_t>(out.BlockAlign()), pending_.size() - pendingPos_);
  // Nothing pending may mean no storage at all, which memcpy must not see even for zero bytes.
  if (part > 0) std::memcpy(buffer, pending_.data() + pendingPos_, part);
  pendingPos_ += part;
  return part;
}

}  // namespace sonacli
