#include "audio/opus_decoder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/wav_header.h"
#include "audio_fixtures.h"

namespace sonacli {
namespace {

using testing::ChannelSamples;
using testing::EncodeOpus;
using testing::MakeSine;
using testing::MeasureFrequency;
using testing::MeasureRms;

constexpr double kAmplitude = 10000;
constexpr double kFrequency = 440;

// One second of a 440 Hz sine, 48000 samples.
const std::string& SineAnswer() {
  static const std::string answer = EncodeOpus(MakeSine(48000, 1, kFrequency, kAmplitude, 1.0), 1);
  return answer;
}

void ExpectHeader(const std::string& wav, uint32_t rate, uint16_t channels, uint32_t dataBytes) {
  ASSERT_GE(wav.size(), kWavHeaderSize);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(GetUint32(wav, 24), rate);
  EXPECT_EQ(GetUint16(wav, 22), channels);
  EXPECT_EQ(GetUint16(wav, 34), 16u);
  EXPECT_EQ(GetUint32(wav, 40), dataBytes);
  EXPECT_EQ(GetUint32(wav, 4), dataBytes + 36);
  EXPECT_EQ(wav.size(), kWavHeaderSize + dataBytes);
}

TEST(OpusDecoder, DirectPathGivesEverySampleAt48000Hz) {
  std::string out = "stale";
  ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), out, 0, 48000, u"MonoToBoth", false));
  ExpectHeader(out, 48000, 1, 96000);
  const auto samples = ChannelSamples(out, 1, 0);
  EXPECT_NEAR(MeasureFrequency(samples, 48000), kFrequency, 1.0);
  EXPECT_NEAR(MeasureRms(samples), kAmplitude / std::sqrt(2.0), kAmplitude * 0.03);
}

TEST(OpusDecoder, VolumeDeltaScalesAndClamps) {
  std::string plain;
  ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), plain, 0, 48000, u"MonoToBoth", false));
  const auto original = ChannelSamples(plain, 1, 0);
  for (int32_t delta : {-100, -50, 100, 300}) {
    std::string out;
    ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), out, delta, 48000, u"MonoToBoth", false));
    EXPECT_EQ(out.substr(0, kWavHeaderSize), plain.substr(0, kWavHeaderSize));
    const auto changed = ChannelSamples(out, 1, 0);
    ASSERT_EQ(changed.size(), original.size());
    for (size_t i = 0; i < changed.size(); ++i) {
      const int32_t s = original[i];
      const int32_t expected = std::clamp(s + s * delta / 100, -32767, 32767);
      ASSERT_EQ(changed[i], expected) << delta << " at " << i;
    }
  }
}

TEST(OpusDecoder, ResamplingKeepsFrequencyLevelAndAnnouncedLength) {
  struct Case {
    int32_t rate;
    uint32_t dataBytes;
  };
  // round(96000 x rate / 48000), whole frames.
  const Case cases[] = {{24000, 48000}, {22050, 44100}, {8000, 16000}, {44100, 88200}};
  for (const Case& c : cases) {
    std::string out;
    ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), out, 0, c.rate, u"MonoToBoth", false));
    ExpectHeader(out, static_cast<uint32_t>(c.rate), 1, c.dataBytes);
    const auto samples = ChannelSamples(out, 1, 0);
    EXPECT_NEAR(MeasureFrequency(samples, c.rate), kFrequency, 1.0) << c.rate;
    EXPECT_NEAR(MeasureRms(samples), kAmplitude / std::sqrt(2.0), kAmplitude * 0.03) << c.rate;
  }
}

TEST(OpusDecoder, StereoPutsTheQuietSideAtFourTenths) {
  struct Case {
    std::u16string mode;
    double leftShare;
    double rightShare;
  };
  const Case cases[] = {{u"MonoToBoth", 1, 1},
                        {u"MonoToLeft", 1, 0.4},
                        {u"MonoToRight", 0.4, 1},
                        {u"monotoleft", 1, 1}};  // the mode's name is case-sensitive
  for (const Case& c : cases) {
    std::string out;
    ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), out, 0, 48000, c.mode, true));
    ExpectHeader(out, 48000, 2, 192000);
    const auto left = ChannelSamples(out, 2, 0);
    const auto right = ChannelSamples(out, 2, 1);
    std::string mono;
    ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), mono, 0, 48000, u"", false));
    const auto x = ChannelSamples(mono, 1, 0);
    ASSERT_EQ(left.size(), x.size());
    for (size_t i = 0; i < x.size(); ++i) {
      // Each side is the sample through the float round trip: round(share x s / 32768 x 32767).
      const auto expected = [&](double share) {
        return static_cast<int16_t>(std::nearbyint(static_cast<float>(share * (x[i] / 32768.0f)) * 32767.0));
      };
      ASSERT_NEAR(left[i], expected(c.leftShare), 1) << i;
      ASSERT_NEAR(right[i], expected(c.rightShare), 1) << i;
    }
  }
}

TEST(OpusDecoder, BadAnswersFailWithoutAudio) {
  const std::string answer = SineAnswer();
  const std::string chained = EncodeOpus(MakeSine(48000, 1, kFrequency, kAmplitude, 0.2), 1, 2);
  struct Case {
    const char* name;
    std::string bytes;
    bool direct;  // the result on the 48000 Hz mono path
  };
  const Case cases[] = {
      {"not ogg", "RIFF this is not an Ogg stream at all", false},
      {"zero bytes of ogg", std::string(200, '\0'), false},
      {"headers only", answer.substr(0, 60), false},
      {"chained", chained, true},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(DecodeOpusAnswer(c.bytes, out, 0, 48000, u"MonoToBoth", false), c.direct) << c.name;
    EXPECT_TRUE(out.empty()) << c.name;
    out = "stale";
    EXPECT_FALSE(DecodeOpusAnswer(c.bytes, out, 50, 24000, u"MonoToBoth", true)) << c.name;
    EXPECT_TRUE(out.empty()) << c.name;
  }
}

TEST(OpusDecoder, TruncatedStreamsAreRejectedOrDecodedUpToTheLastWholePage) {
  const std::string answer = SineAnswer();
  // Cut inside the data, libopusfile cannot find the stream's end and rejects it.
  std::string out = "stale";
  EXPECT_FALSE(DecodeOpusAnswer(answer.substr(0, answer.size() / 2), out, 0, 48000, u"MonoToBoth", false));
  EXPECT_TRUE(out.empty());
  // Cut inside the last page, the pages before it are decoded and the header agrees with them.
  for (int32_t rate : {48000, 24000}) {
    ASSERT_TRUE(DecodeOpusAnswer(answer.substr(0, answer.size() - 7), out, 0, rate, u"MonoToBoth", false));
    ASSERT_GT(out.size(), kWavHeaderSize + 1000);
    EXPECT_LT(out.size(), kWavHeaderSize + 2 * static_cast<size_t>(rate));
    EXPECT_EQ(GetUint32(out, 40), out.size() - kWavHeaderSize);
  }
}

}  // namespace
}  // namespace sonacli
