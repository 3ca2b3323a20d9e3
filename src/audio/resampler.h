// Sample-rate conversion stage on libsoxr, delivering exactly the announced length.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/audio_source.h"

struct soxr;

namespace sonacli {

enum class TResamplerQuality { rqBest, rqMedium, rqFastest };

class TResampler : public TAudioSource {
 public:
  static constexpr size_t kInputBufferBytes = 3145728;  // 3 MiB
  static constexpr size_t kSliceBytes = 1572864;        // at most 1.5 MiB of input per slice

  explicit TResampler(TAudioSource* input);
  ~TResampler() override;

  // 0 keeps the input rate; values outside 2000..120000 become 44100.
  void SetOutSampleRate(int32_t rate);
  int32_t OutSampleRate() const { return outSampleRate_; }
  // rqBest is libsoxr's high-quality recipe: alias rejection beyond what 16-bit samples hold.
  void SetQuality(TResamplerQuality quality) { quality_ = quality; }

  void Start() override;
  TAudioFormat Format() const override;
  // round(input length x out rate / in rate), reduced to whole input frames; -1 when unknown.
  int64_t Length() const override;
  size_t Read(uint8_t* buffer, size_t count) override;

 private:
  struct StateDeleter {
    void operator()(soxr* state) const;
  };

  bool PassThrough() const;
  int64_t Announced(int64_t inLength) const;
  size_t InputCapacity() const;
  void ProduceSlice();
  void FillInput();

  TAudioSource* input_;
  int32_t outSampleRate_ = 0;
  TResamplerQuality quality_ = TResamplerQuality::rqBest;
  bool running_ = false;
  bool inputDone_ = false;
  std::unique_ptr<soxr, StateDeleter> state_;
  double ratio_ = 1.0;
  int64_t delivered_ = 0;
  // The input bytes not yet converted: up to 3 MiB, less when the whole input is shorter. Left
  // uninitialised: it is written before it is read.
  std::unique_ptr<uint8_t[]> inBuffer_;
  size_t inCapacity_ = 0;
  size_t inFill_ = 0;
  int64_t inputTotal_ = 0;
  std::vector<float> inFloats_;
  std::vector<float> outFloats_;
  std::vector<uint8_t> outBytes_;  // converted bytes not yet handed on
  size_t outPos_ = 0;
};

}  // namespace sonacli
