#include "audio/fit_to_duration.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/wav_header.h"
#include "audio_fixtures.h"

namespace sonacli {
namespace {

using testing::MakePcmBytes;
using testing::MakeSine;

constexpr int kRate = 24000;

double DurationMs(const std::string& pcm, int channels) {
  return static_cast<double>(pcm.size()) * 1000.0 / (2.0 * channels * kRate);
}

TEST(FitToDuration, SpeedsUpWithinTheThreeLimitsAndKeepsAllTheSpeech) {
  struct Case {
    int64_t availableMs;
    double speechSeconds;
    int32_t maxPercent;
    double tempo;
  };
  const Case cases[] = {
      {1000, 1.5, 200, 1500.0 / 1020},      // allowed 1020 ms
      {1000, 1.5, 110, 1.05},               // the --sub-max limit at 110
      {1000, 1.5, 150, 1.386},              // and at 150
      {1000, 3.06, 200, 1.8},               // tempo 3 is held at 1.8, below the 1.806 of 200
      {13000, 20.0, 200, 20000.0 / 13260},  // a long subtitle
  };
  for (int channels : {1, 2}) {
    for (const Case& c : cases) {
      std::string pcm = MakePcmBytes(MakeSine(kRate, channels, 300, 8000, c.speechSeconds));
      ASSERT_TRUE(FitToDuration(pcm, c.availableMs, kRate, c.maxPercent, 16, channels));
      EXPECT_EQ(pcm.size() % (2 * channels), 0u);  // whole frames
      EXPECT_NEAR(DurationMs(pcm, channels), c.speechSeconds * 1000 / c.tempo, 3.0)
          << c.speechSeconds << " s at " << c.maxPercent << " %, " << channels << " channels";
      // Tempo, not rate: the pitch stays.
      const std::string wav = MakeWavHeader(kRate, channels, 16, pcm.size()) + pcm;
      EXPECT_NEAR(testing::MeasureFrequency(testing::ChannelSamples(wav, channels, 0), kRate), 300, 3);
    }
  }
}

TEST(FitToDuration, LeavesWhatFitsOrIsTooShort) {
  struct Case {
    int64_t availableMs;
    double speechSeconds;
    bool result;
  };
  const Case cases[] = {
      {990, 1.0, true},     // allowed 1010 ms: it fits
      {200, 1.0, false},    // no time to fit into
      {1000, 0.18, false},  // too short to fit
      {1000, 0.2, false},
  };
  for (const Case& c : cases) {
    std::string pcm = MakePcmBytes(MakeSine(kRate, 1, 300, 8000, c.speechSeconds));
    const std::string before = pcm;
    EXPECT_EQ(FitToDuration(pcm, c.availableMs, kRate, 200, 16, 1), c.result) << c.availableMs;
    EXPECT_EQ(pcm, before);
  }
}

TEST(FitToDuration, RefusesOtherFormats) {
  std::string pcm = MakePcmBytes(MakeSine(kRate, 1, 300, 8000, 2));
  const std::string before = pcm;
  EXPECT_FALSE(FitToDuration(pcm, 1000, kRate, 200, 8, 1));
  EXPECT_FALSE(FitToDuration(pcm, 1000, kRate, 200, 16, 3));
  EXPECT_FALSE(FitToDuration(pcm, 1000, 0, 200, 16, 1));
  std::string none;
  EXPECT_FALSE(FitToDuration(none, 1000, kRate, 200, 16, 1));
  EXPECT_EQ(pcm, before);
}

}  // namespace
}  // namespace sonacli
