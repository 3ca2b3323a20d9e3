#include "audio/trim_silence.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/wav_header.h"
#include "audio_fixtures.h"

namespace sonacli {
namespace {

using testing::MakeSine;
using testing::MakeWavBytes;

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

// A buffer as the driver builds it: the first piece's header, whose sizes later pieces leave stale.
std::string StaleBuffer(const std::vector<int16_t>& samples, int channels = 1) {
  std::string buffer = MakeWavBytes(samples, kRate, channels);
  PutUint32(buffer, 40, 96);
  PutUint32(buffer, 4, 132);
  return buffer;
}

TEST(TrimSilence, CutsTheSharesOfTheQuietEnds) {
  for (int channels : {1, 2}) {
    const auto samples = Join({Murmur(300, channels), Loud(1000, channels), Murmur(500, channels)});
    std::string buffer = StaleBuffer(samples, channels);
    TrimSilence(buffer, 0.7, 0.6);
    // 300 ms x 0.6 = 180 ms at the start, 500 ms x 0.7 = 350 ms at the end.
    const size_t frames = samples.size() / channels;
    const auto kept = Slice(samples, 180 * kFramesPerMs * channels, (frames - 350 * kFramesPerMs) * channels);
    EXPECT_EQ(buffer, MakeWavBytes(kept, kRate, channels)) << channels;
    EXPECT_TRUE(HasCanonicalWavHeader(buffer));
  }
}

TEST(TrimSilence, CutsTenMsAtLeast) {
  const auto samples = Loud(500);
  std::string buffer = StaleBuffer(samples);
  TrimSilence(buffer, 0.7, 0.6);
  EXPECT_EQ(buffer, MakeWavBytes(Slice(samples, 10 * kFramesPerMs, 490 * kFramesPerMs), kRate, 1));
}

TEST(TrimSilence, LeavesWhatIsTooShortOrNoWav) {
  for (std::string buffer : {StaleBuffer(Loud(20)), StaleBuffer(Murmur(400)), MakeWavBytes({}, kRate, 1),
                             std::string("RIFF"), std::string(200, 'x')}) {
    const std::string before = buffer;
    TrimSilence(buffer, 0.7, 0.6);
    EXPECT_EQ(buffer, before);
  }
  std::string eightBit = MakeWavHeader(kRate, 1, 8, 4800) + std::string(4800, '\x80');
  const std::string before = eightBit;
  TrimSilence(eightBit, 0.7, 0.6);
  EXPECT_EQ(eightBit, before);
}

TEST(TrimSilence, CutsDigitalSilenceAndGivesPartBack) {
  // After the quiet end of 50 ms loses 35 ms, the kept part ends with 15 ms = 20 windows of 18
  // frames of zeros: all of them go, 8 come back.
  const auto loud = Loud(500);
  const auto samples = Join({loud, std::vector<int16_t>(20 * 18, 0), Murmur(35)});
  std::string buffer = StaleBuffer(samples);
  TrimSilence(buffer, 0.7, 0.6);
  const auto kept = Join({Slice(loud, 10 * kFramesPerMs, loud.size()), std::vector<int16_t>(8 * 18, 0)});
  EXPECT_EQ(buffer, MakeWavBytes(kept, kRate, 1));
}

}  // namespace
}  // namespace sonacli
