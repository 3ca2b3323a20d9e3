#include "audio/resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <numbers>
#include <vector>

namespace sonacli {
namespace {

constexpr int32_t kInRate = 48000;
constexpr double kFullScale = 2147483647.0;

// 32-bit mono samples at 48000 Hz held in memory: 32-bit samples keep the output's own error far
// below the levels measured here.
class TSamplesSource : public TAudioSource {
 public:
  // Without `knownLength` the source announces no length, as a stream whose end is seen only when
  // it comes.
  explicit TSamplesSource(std::vector<int32_t> samples, bool knownLength = true)
      : samples_(std::move(samples)), knownLength_(knownLength) {}
  void Start() override { pos_ = 0; }
  TAudioFormat Format() const override { return {kInRate, 1, 32}; }
  int64_t Length() const override { return knownLength_ ? static_cast<int64_t>(samples_.size() * 4) : -1; }
  size_t Read(uint8_t* buffer, size_t count) override {
    const size_t n = std::min(count / 4, samples_.size() - pos_);
    std::memcpy(buffer, samples_.data() + pos_, n * 4);  // little-endian host
    pos_ += n;
    return n * 4;
  }

 private:
  std::vector<int32_t> samples_;
  bool knownLength_;
  size_t pos_ = 0;
};

std::vector<int32_t> Samples(double seconds, const std::function<double(double)>& signal) {
  std::vector<int32_t> samples(static_cast<size_t>(seconds * kInRate));
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int32_t>(std::lround(signal(static_cast<double>(i) / kInRate) * kFullScale));
  }
  return samples;
}

// Output samples (as fractions of full scale) of the best-quality resampler.
std::vector<double> Resample(std::vector<int32_t> input, int32_t outRate) {
  TSamplesSource source(std::move(input));
  TResampler resampler(&source);
  resampler.SetOutSampleRate(outRate);
  resampler.Start();
  std::vector<uint8_t> bytes(static_cast<size_t>(resampler.Length()));
  size_t got = 0;
  while (size_t n = resampler.Read(bytes.data() + got, bytes.size() - got)) got += n;
  EXPECT_EQ(got, bytes.size());
  std::vector<double> out(bytes.size() / 4);
  for (size_t i = 0; i < out.size(); ++i) {
    int32_t sample;
    std::memcpy(&sample, &bytes[i * 4], 4);
    out[i] = sample / kFullScale;
  }
  return out;
}

// Amplitude of the frequency in the middle 80 % of the samples (Hann window, so that the start and
// end transients and other tones leak in far below the levels measured).
double Amplitude(const std::vector<double>& samples, int32_t rate, double frequency) {
  const size_t from = samples.size() / 10;
  const size_t count = samples.size() - 2 * from;
  std::complex<double> sum;
  double weights = 0;
  for (size_t i = 0; i < count; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / (count - 1));
    const double phase = 2 * std::numbers::pi * frequency * static_cast<double>(from + i) / rate;
    sum += w * samples[from + i] * std::polar(1.0, -phase);
    weights += w;
  }
  return 2 * std::abs(sum) / weights;
}

double Decibels(double ratio) {
  return 20 * std::log10(ratio);
}

std::function<double(double)> Sine(double frequency, double amplitude) {
  return [=](double t) { return amplitude * std::sin(2 * std::numbers::pi * frequency * t); };
}

constexpr int32_t kOutRates[] = {8000, 16000, 22050, 24000, 44100};

TEST(Resampler, PassbandIsFlatToNineTenthsOfTheOutputNyquistFrequency) {
  for (int32_t rate : kOutRates) {
    const double nyquist = rate / 2.0;
    for (double fraction : {0.02, 0.25, 0.5, 0.75, 0.85, 0.9}) {
      const double frequency = fraction * nyquist;
      const auto out = Resample(Samples(1, Sine(frequency, 0.5)), rate);
      EXPECT_NEAR(Decibels(Amplitude(out, rate, frequency) / 0.5), 0, 0.1) << rate << " Hz at " << frequency;
    }
  }
}

TEST(Resampler, ToneAboveTheOutputNyquistFrequencyIsRejectedBy96Decibels) {
  for (int32_t rate : kOutRates) {
    const double nyquist = rate / 2.0;
    // Above the output's Nyquist frequency, below the input's.
    const double tone = std::min(1.1 * nyquist, (nyquist + kInRate / 2.0) / 2);
    const double alias = rate - tone;
    const auto out = Resample(Samples(1, Sine(tone, 0.9)), rate);
    EXPECT_LE(Decibels(Amplitude(out, rate, alias) / 0.9), -96) << rate << " Hz, tone at " << tone;
    // The measure itself finds a tone of that frequency at its level when it is there.
    std::vector<double> direct(static_cast<size_t>(rate));
    for (size_t i = 0; i < direct.size(); ++i) direct[i] = Sine(alias, 0.9)(static_cast<double>(i) / rate);
    EXPECT_NEAR(Decibels(Amplitude(direct, rate, alias) / 0.9), 0, 0.01) << rate;
  }
}

TEST(Resampler, ClickKeepsItsTime) {
  // The filter's delay is taken out: what is at 0.25 s in the input is at 0.25 s in the output.
  const auto click = [](double t) { return std::abs(t - 0.25) < 0.5 / kInRate ? 0.9 : 0.0; };
  for (int32_t rate : kOutRates) {
    const auto out = Resample(Samples(0.5, click), rate);
    const auto peak = std::max_element(out.begin(), out.end(),
                                       [](double a, double b) { return std::abs(a) < std::abs(b); });
    EXPECT_NEAR(static_cast<double>(peak - out.begin()), 0.25 * rate, 1) << rate;
  }
}

// Everything the resampler delivers, read in blocks of the WAV writer's size.
std::vector<uint8_t> ReadAll(TResampler& resampler) {
  std::vector<uint8_t> bytes;
  uint8_t block[16384];
  while (size_t n = resampler.Read(block, sizeof block)) bytes.insert(bytes.end(), block, block + n);
  return bytes;
}

TEST(Resampler, InputOfKnownLengthGivesTheSamplesOfAnUnknownOne) {
  // Its input buffer is sized to a known input, the full 3 MiB otherwise; the slices, and so the
  // samples, must not depend on that. Lengths: shorter than one tail slice, an answer, beyond 3 MiB.
  for (const double seconds : {0.002, 2.0, 17.0}) {
    const std::vector<int32_t> input = Samples(seconds, Sine(440, 0.5));
    for (const int32_t rate : {8000, 22050, 44100}) {
      TSamplesSource known(input);
      TResampler sized(&known);
      sized.SetOutSampleRate(rate);
      sized.Start();
      const int64_t announced = sized.Length();
      const std::vector<uint8_t> fromKnown = ReadAll(sized);
      TSamplesSource unknown(input, false);
      TResampler full(&unknown);
      full.SetOutSampleRate(rate);
      full.Start();
      const std::vector<uint8_t> fromUnknown = ReadAll(full);
      EXPECT_EQ(static_cast<int64_t>(fromKnown.size()), announced) << seconds << " s to " << rate;
      EXPECT_TRUE(fromKnown == fromUnknown) << seconds << " s to " << rate;
    }
  }
}

}  // namespace
}  // namespace sonacli
