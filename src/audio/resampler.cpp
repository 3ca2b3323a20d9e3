#include "audio/resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "audio/audio_converter.h"
#include "audio/audio_error.h"

namespace sonacli {
namespace {

// Zero input fed per call once the signal has ended: enough for the filter's tail at any ratio.
constexpr size_t kTailFrames = 8192;
// Output capacity of one soxr_process call.
constexpr size_t kMaxOutFrames = 1 << 18;
// The widest ratio the converter accepts either way.
constexpr double kMaxRatio = 256;

// The high-quality recipe rejects aliases by about 120 dB, more than 16-bit output can show, and
// is more than twice as fast as the very-high-quality one.
unsigned long Recipe(TResamplerQuality quality) {
  switch (quality) {
    case TResamplerQuality::rqBest:
      return SOXR_HQ;
    case TResamplerQuality::rqFastest:
      return SOXR_LQ;
    default:
      return SOXR_MQ;
  }
}

std::string RatioText(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", ratio);
  return text;
}

}  // namespace

void TResampler::StateDeleter::operator()(soxr* state) const {
  soxr_delete(state);
}

TResampler::TResampler(TAudioSource* input) : input_(input) {}

TResampler::~TResampler() = default;

void TResampler::SetOutSampleRate(int32_t rate) {
  outSampleRate_ = (rate == 0 || (rate >= 2000 && rate <= 120000)) ? rate : 44100;
}

TAudioFormat TResampler::Format() const {
  TAudioFormat format = input_->Format();
  if (outSampleRate_ != 0) format.SampleRate = outSampleRate_;
  return format;
}

bool TResampler::PassThrough() const {
  return Format().SampleRate == input_->Format().SampleRate;
}

int64_t TResampler::Length() const {
  const int64_t inLength = input_->Length();
  if (inLength < 0 || PassThrough()) return inLength;
  return Announced(inLength);
}

int64_t TResampler::Announced(int64_t inLength) const {
  const TAudioFormat in = input_->Format();
  const auto length = static_cast<int64_t>(
      std::nearbyint(static_cast<double>(inLength) * Format().SampleRate / in.SampleRate));
  return length - length % in.BlockAlign();
}

void TResampler::Start() {
  if (input_ == nullptr) throw TAudioError("Input is not assigned");
  if (running_) throw TAudioError("The component is busy.");
  input_->Start();
  const TAudioFormat in = input_->Format();
  ratio_ = static_cast<double>(Format().SampleRate) / in.SampleRate;
  if (!(ratio_ >= 1 / kMaxRatio && ratio_ <= kMaxRatio)) {
    throw TAudioError("Frequences ratio " + RatioText(ratio_) + " is invalid");
  }
  const soxr_quality_spec_t recipe = soxr_quality_spec(Recipe(quality_), 0);
  soxr_error_t error = nullptr;
  state_.reset(soxr_create(in.SampleRate, Format().SampleRate, static_cast<unsigned>(in.Channels), &error,
                           nullptr, &recipe, nullptr));
  if (error != nullptr || !state_) throw TAudioError("Failed to initialize the resampler");
  running_ = true;
  inputDone_ = false;
  delivered_ = 0;
  inFill_ = 0;
  inputTotal_ = 0;
  outBytes_.clear();
  outPos_ = 0;
  if (!PassThrough()) {
    inCapacity_ = InputCapacity();
    inBuffer_ = std::make_unique_for_overwrite<uint8_t[]>(inCapacity_);
  }
}

// Every answer has a resampler of its own, and most answers are a few seconds long: a buffer just
// large enough for the whole input holds it as the full-sized one would (same slices), without
// allocating and touching 3 MiB per answer. It still holds the silence of one tail slice.
size_t TResampler::InputCapacity() const {
  const int64_t length = input_->Length();
  if (length < 0 || static_cast<uint64_t>(length) >= kInputBufferBytes) return kInputBufferBytes;
  const size_t tailBytes = kTailFrames * static_cast<size_t>(input_->Format().BlockAlign());
  return std::max(static_cast<size_t>(length), tailBytes);
}

void TResampler::FillInput() {
  while (!inputDone_ && inFill_ < inCapacity_) {
    const size_t got = input_->Read(inBuffer_.get() + inFill_, inCapacity_ - inFill_);
    if (got == 0) inputDone_ = true;
    inFill_ += got;
    inputTotal_ += static_cast<int64_t>(got);
  }
}

void TResampler::ProduceSlice() {
  const TAudioFormat in = input_->Format();
  const size_t blockAlign = static_cast<size_t>(in.BlockAlign());
  const size_t sampleBytes = static_cast<size_t>(in.BitsPerSample / 8);
  FillInput();
  size_t frames = std::min(inFill_, kSliceBytes) / blockAlign;
  if (frames == 0) {
    // The signal has ended: silence follows it for as long as output is wanted.
    frames = kTailFrames;
    inFill_ = frames * blockAlign;
    std::fill_n(inBuffer_.get(), inFill_, in.BitsPerSample == 8 ? uint8_t{0x80} : uint8_t{0});
  }
  const size_t samples = frames * static_cast<size_t>(in.Channels);
  inFloats_.resize(samples);
  if (in.BitsPerSample == 16) {
    for (size_t i = 0; i < samples; ++i) {
      int16_t sample;
      std::memcpy(&sample, &inBuffer_[i * 2], 2);  // little-endian host
      inFloats_[i] = static_cast<float>(sample) / 32768.0f;
    }
  } else {
    for (size_t i = 0; i < samples; ++i)
      inFloats_[i] = SampleToFloat(&inBuffer_[i * sampleBytes], in.BitsPerSample);
  }
  const size_t outFrames = std::min(kMaxOutFrames, static_cast<size_t>(std::ceil(frames * ratio_)) + 64);
  outFloats_.resize(outFrames * static_cast<size_t>(in.Channels));
  size_t usedFrames = 0;
  size_t madeFrames = 0;
  // The end of the input is never signalled: the silence that follows it flushes the filter.
  const soxr_error_t error = soxr_process(state_.get(), inFloats_.data(), frames, &usedFrames,
                                          outFloats_.data(), outFrames, &madeFrames);
  if (error != nullptr) throw TAudioError(error);
  const size_t usedBytes = usedFrames * blockAlign;
  std::memmove(inBuffer_.get(), inBuffer_.get() + usedBytes, inFill_ - usedBytes);
  inFill_ -= usedBytes;
  const size_t outSamples = madeFrames * static_cast<size_t>(in.Channels);
  outBytes_.resize(outSamples * sampleBytes);
  for (size_t i = 0; i < outSamples; ++i)
    FloatToSample(outFloats_[i], &outBytes_[i * sampleBytes], in.BitsPerSample);
  outPos_ = 0;
}

size_t TResampler::Read(uint8_t* buffer, size_t count) {
  if (PassThrough()) return input_->Read(buffer, count);
  const size_t blockAlign = static_cast<size_t>(input_->Format().BlockAlign());
  size_t written = 0;
  count -= count % blockAlign;
  while (written < count) {
    // An input of unknown length announces its output once it has ended.
    int64_t length = Length();
    if (length < 0 && inputDone_) length = Announced(inputTotal_);
    int64_t wanted = static_cast<int64_t>(count - written);
    if (length >= 0) wanted = std::min(wanted, length - delivered_);
    if (wanted <= 0) break;
    if (outPos_ == outBytes_.size()) {
      ProduceSlice();
      continue;
    }
    const size_t part = std::min(static_cast<size_t>(wanted), outBytes_.size() - outPos_);
    std::memcpy(buffer + written, outBytes_.data() + outPos_, part);
    outPos_ += part;
    written += part;
    delivered_ += static_cast<int64_t>(part);
  }
  if (written == 0) running_ = false;
  return written;
}

}  // namespace sonacli
