#include "audio/trim_silence.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio_fixtures.h"

namespace sonacli {
namespace {

using testing::MakePcmBytes;
using testing::MakeSine;

constexpr int kRate = 24000;
constexpr int kFramesPerMs = kRate / 1000;

std::vector<int16_t> Loud(int ms, int channels = 1) {
  return MakeSine(kRate, channels, 440, 10000, ms / 1000.0);
}

// Quiet but not digital silence: samples of magnitude 100 with alternating sign.
std::vector<int16_t> Murmur(int ms, int channels = 1) {
  std::vector<int16_t> samples(static_cast<size_t>(ms * kFramesPerMs * channels));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / channels) % 2 == 0 ? 100 : -100;
  return samples;
}

std::vector<int16_t> Join(std::initializer_list<std::vector<int16_t>> parts) {
  std::vector<int16_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<int16_t> Slice(const std::vector<int16_t>& samples, size_t from, size_t to) {
  return {samples.begin() + static_cast<std::ptrdiff_t>(from),
          samples.begin() + static_cast<std::ptrdiff_t>(to)};
}

TAudioFormat Format(int channels = 1) {
  return {kRate, channels, 16};
}

TEST(TrimSilence, CutsTheSharesOfTheQuietEnds) {
  for (int channels : {1, 2}) {
    const auto samples = Join({Murmur(300, channels), Loud(1000, channels), Murmur(500, channels)});
    std::string pcm = MakePcmBytes(samples);
    TrimSilence(pcm, Format(channels), 0.7, 0.6);
    // 300 ms x 0.6 = 180 ms at the start, 500 ms x 0.7 = 350 ms at the end.
    const size_t frames = samples.size() / channels;
    const auto kept = Slice(samples, 180 * kFramesPerMs * channels, (frames - 350 * kFramesPerMs) * channels);
    EXPECT_EQ(pcm, MakePcmBytes(kept)) << channels;
  }
}

TEST(TrimSilence, CutsTenMsAtLeast) {
  const auto samples = Loud(500);
  std::string pcm = MakePcmBytes(samples);
  TrimSilence(pcm, Format(), 0.7, 0.6);
  EXPECT_EQ(pcm, MakePcmBytes(Slice(samples, 10 * kFramesPerMs, 490 * kFramesPerMs)));
}

TEST(TrimSilence, LeavesWhatIsTooShortOrOfAnotherFormat) {
  for (std::string pcm : {MakePcmBytes(Loud(20)), MakePcmBytes(Murmur(400)), std::string()}) {
    const std::string before = pcm;
    TrimSilence(pcm, Format(), 0.7, 0.6);
    EXPECT_EQ(pcm, before);
  }
  std::string eightBit(4800, '\x80');
  TrimSilence(eightBit, TAudioFormat{kRate, 1, 8}, 0.7, 0.6);
  EXPECT_EQ(eightBit, std::string(4800, '\x80'));
  std::string loud = MakePcmBytes(Loud(500));
  const std::string before = loud;
  TrimSilence(loud, TAudioFormat{kRate, 0, 16}, 0.7, 0.6);
  EXPECT_EQ(loud, before);
}

TEST(TrimSilence, CutsDigitalSilenceAndGivesPartBack) {
  // After the quiet end of 50 ms loses 35 ms, the kept part ends with 15 ms = 20 windows of 18
  // frames of zeros: all of them go, 8 come back.
  const auto loud = Loud(500);
  const auto samples = Join({loud, std::vector<int16_t>(20 * 18, 0), Murmur(35)});
  std::string pcm = MakePcmBytes(samples);
  TrimSilence(pcm, Format(), 0.7, 0.6);
  const auto kept = Join({Slice(loud, 10 * kFramesPerMs, loud.size()), std::vector<int16_t>(8 * 18, 0)});
  EXPECT_EQ(pcm, MakePcmBytes(kept));
}

}  // namespace
}  // namespace sonacli
