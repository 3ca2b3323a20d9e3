#include "audio/opus_decoder.h"

#include <gtest/gtest.h>
#include <opusfile.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "audio/convert_wav.h"
#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "audio_fixtures.h"
#include "ogg_opus/ogg_opus_encoder.h"

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

// A voice-like signal: a gliding tone under a syllable-rate envelope, with noise; each channel its
// own pitch, so that a swapped or mixed channel shows.
std::vector<int16_t> MakeVoice(int channels, double seconds, double amplitude) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, amplitude / 20);
  const auto frames = static_cast<size_t>(48000 * seconds);
  std::vector<int16_t> samples;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / 48000;
    const double envelope = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 4 * t);
    for (int c = 0; c < channels; ++c) {
      const double pitch = 150 + 60 * c + 40 * std::sin(2 * std::numbers::pi * 0.7 * t);
      const double value = amplitude * envelope * std::sin(2 * std::numbers::pi * pitch * t) + noise(random);
      samples.push_back(static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L)));
    }
  }
  return samples;
}

struct OpusFileCloser {
  void operator()(OggOpusFile* file) const { op_free(file); }
};

// What libopusfile decodes by itself, with its own decoder: the samples the program has always given.
std::vector<int16_t> OpusfileSamples(const std::string& ogg, int& channels) {
  int error = 0;
  std::unique_ptr<OggOpusFile, OpusFileCloser> file(
      op_open_memory(reinterpret_cast<const unsigned char*>(ogg.data()), ogg.size(), &error));
  if (!file) return {};
  channels = op_channel_count(file.get(), 0);
  std::vector<int16_t> samples;
  std::vector<opus_int16> buffer(static_cast<size_t>(channels) * 5760);
  for (int got; (got = op_read(file.get(), buffer.data(), static_cast<int>(buffer.size()), nullptr)) > 0;)
    samples.insert(samples.end(), buffer.begin(),
                   buffer.begin() + static_cast<std::ptrdiff_t>(got) * channels);
  return samples;
}

// The answer decoded for a target; fails the test when it does not decode.
TDecodedSpeech Decode(const std::string& answer, int32_t rate, bool stereo, int32_t volumeDelta = 0,
                      TMSConverterMode mode = TMSConverterMode::msmMonoToBoth) {
  TDecodedSpeech speech;
  EXPECT_TRUE(DecodeOpusAnswer(answer, {rate, stereo}, {volumeDelta, mode}, speech));
  return speech;
}

// The speech as a canonical WAV, for the helpers that read one.
std::string AsWav(const TDecodedSpeech& speech) {
  return MakeWavHeader(speech.Format.SampleRate, speech.Format.Channels, speech.Format.BitsPerSample,
                       speech.Pcm.size()) +
         speech.Pcm;
}

void ExpectFormat(const TDecodedSpeech& speech, int32_t rate, int32_t channels, size_t pcmBytes) {
  EXPECT_EQ(speech.Format, (TAudioFormat{rate, channels, 16}));
  EXPECT_EQ(speech.Pcm.size(), pcmBytes);
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
  TDecodedSpeech speech;
  speech.Pcm = "stale";
  ASSERT_TRUE(DecodeOpusAnswer(SineAnswer(), {48000, false}, {}, speech));
  ExpectFormat(speech, 48000, 1, 96000);
  const auto samples = ChannelSamples(AsWav(speech), 1, 0);
  EXPECT_NEAR(MeasureFrequency(samples, 48000), kFrequency, 1.0);
  EXPECT_NEAR(MeasureRms(samples), kAmplitude / std::sqrt(2.0), kAmplitude * 0.03);
}

TEST(OpusDecoder, SamplesAreThoseOfLibopusfileForEveryKindOfAnswer) {
  struct Case {
    const char* name;
    int channels;
    int bitRate;     // low rates make libopus code speech with SILK, high ones with CELT
    int outputGain;  // 1/256 dB in the header
    int mappingFamily;
    double amplitude;
  };
  const Case cases[] = {
      {"mono speech rate", 1, 16000, 0, 0, 8000},
      {"mono music rate", 1, 96000, 0, 0, 8000},
      {"stereo", 2, 64000, 0, 0, 8000},
      {"mono, header gain up and clipping", 1, 32000, 6 * 256, 0, 30000},
      {"stereo, header gain down", 2, 96000, -9 * 256, 0, 12000},
      {"stereo in the multistream family", 2, 64000, 3 * 256, 1, 8000},
      {"three channels, several streams", 3, 128000, 3 * 256, 1, 8000},
  };
  for (const Case& c : cases) {
    const std::string ogg =
        EncodeOggOpus(MakeVoice(c.channels, 1.5, c.amplitude), {.Channels = c.channels,
                                                                .BitRate = c.bitRate,
                                                                .Title = "",
                                                                .OutputGain = c.outputGain,
                                                                .MappingFamily = c.mappingFamily,
                                                                .SerialNumber = 4242});
    ASSERT_FALSE(ogg.empty()) << c.name;
    int channels = 0;
    const std::vector<int16_t> expected = OpusfileSamples(ogg, channels);
    ASSERT_EQ(channels, c.channels) << c.name;
    ASSERT_EQ(expected.size(), static_cast<size_t>(48000 * 1.5) * c.channels) << c.name;
    std::string out;
    ASSERT_TRUE(OpusToWav(ogg, out)) << c.name;
    ExpectHeader(out, 48000, static_cast<uint16_t>(c.channels), static_cast<uint32_t>(expected.size() * 2));
    const std::vector<int16_t> decoded = ChannelSamples(out, 1, 0);  // every sample, interleaved
    ASSERT_EQ(decoded.size(), expected.size()) << c.name;
    for (size_t i = 0; i < decoded.size(); ++i) ASSERT_EQ(decoded[i], expected[i]) << c.name << " at " << i;
  }
}

TEST(OpusDecoder, ConversionGivesTheBytesOfTheWavReaderChain) {
  // The decoded answer goes to the resampler in place, and its samples come out without a header;
  // they must be those of the chain that reads it back as a WAV first and writes a WAV.
  const std::string mono = EncodeOpus(MakeVoice(1, 1.3, 8000), 1);
  const std::string stereo = EncodeOpus(MakeVoice(2, 0.7, 8000), 2);
  struct Case {
    const char* name;
    std::string answer;
  };
  const Case answers[] = {
      {"mono", mono},
      {"stereo", stereo},
      {"last page cut short", mono.substr(0, mono.size() - 7)},
      {"no samples", EncodeOpus({}, 1)},
  };
  for (const Case& c : answers) {
    for (const int32_t rate : {8000, 22050, 24000, 44100, 48000}) {
      for (const bool toStereo : {false, true}) {
        if (rate == 48000 && !toStereo) continue;  // the direct path converts nothing
        std::string decoded;
        ASSERT_TRUE(OpusToWav(c.answer, decoded)) << c.name;
        const auto reader = TWaveIn::OpenMemory(decoded);
        std::string expected;
        if (reader) ConvertWav(*reader, expected, rate, toStereo ? 2 : 0, 0, TMSConverterMode::msmMonoToBoth);
        TDecodedSpeech speech;
        speech.Pcm = "stale";
        EXPECT_EQ(DecodeOpusAnswer(c.answer, {rate, toStereo}, {}, speech), reader != nullptr)
            << c.name << " to " << rate;
        EXPECT_TRUE(speech.Pcm == WavSamples(expected))
            << c.name << " to " << rate << (toStereo ? " stereo" : "");
        if (reader) {
          EXPECT_EQ(speech.Format, (TAudioFormat{rate, GetUint16(expected, 22), 16})) << c.name;
        }
      }
    }
  }
}

TEST(OpusDecoder, VolumeDeltaScalesAndClamps) {
  const TDecodedSpeech plain = Decode(SineAnswer(), 48000, false);
  const auto original = ChannelSamples(AsWav(plain), 1, 0);
  for (int32_t delta : {-100, -50, 100, 300}) {
    const TDecodedSpeech changedSpeech = Decode(SineAnswer(), 48000, false, delta);
    EXPECT_EQ(changedSpeech.Format, plain.Format);
    const auto changed = ChannelSamples(AsWav(changedSpeech), 1, 0);
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
    const TDecodedSpeech speech = Decode(SineAnswer(), c.rate, false);
    ExpectFormat(speech, c.rate, 1, c.dataBytes);
    const auto samples = ChannelSamples(AsWav(speech), 1, 0);
    EXPECT_NEAR(MeasureFrequency(samples, c.rate), kFrequency, 1.0) << c.rate;
    EXPECT_NEAR(MeasureRms(samples), kAmplitude / std::sqrt(2.0), kAmplitude * 0.03) << c.rate;
  }
}

TEST(OpusDecoder, StereoPutsTheQuietSideAtFourTenths) {
  struct Case {
    TMSConverterMode mode;
    double leftShare;
    double rightShare;
  };
  const Case cases[] = {{TMSConverterMode::msmMonoToBoth, 1, 1},
                        {TMSConverterMode::msmMonoToLeft, 1, 0.4},
                        {TMSConverterMode::msmMonoToRight, 0.4, 1}};
  const auto x = ChannelSamples(AsWav(Decode(SineAnswer(), 48000, false)), 1, 0);
  for (const Case& c : cases) {
    const TDecodedSpeech speech = Decode(SineAnswer(), 48000, true, 0, c.mode);
    ExpectFormat(speech, 48000, 2, 192000);
    const std::string out = AsWav(speech);
    const auto left = ChannelSamples(out, 2, 0);
    const auto right = ChannelSamples(out, 2, 1);
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
  };
  // On the 48000 Hz mono path too: an answer that gave silence there would drop its piece unseen.
  const Case cases[] = {
      {"not ogg", "RIFF this is not an Ogg stream at all"},
      {"zero bytes of ogg", std::string(200, '\0')},
      {"headers only", answer.substr(0, 60)},
      {"chained", chained},
  };
  for (const Case& c : cases) {
    TDecodedSpeech speech;
    speech.Pcm = "stale";
    EXPECT_FALSE(DecodeOpusAnswer(c.bytes, {48000, false}, {}, speech)) << c.name;
    EXPECT_TRUE(speech.Pcm.empty()) << c.name;
    speech.Pcm = "stale";
    EXPECT_FALSE(DecodeOpusAnswer(c.bytes, {24000, true}, {50, TMSConverterMode::msmMonoToBoth}, speech))
        << c.name;
    EXPECT_TRUE(speech.Pcm.empty()) << c.name;
  }
}

TEST(OpusDecoder, TruncatedStreamsAreRejectedOrDecodedUpToTheLastWholePage) {
  const std::string answer = SineAnswer();
  // Cut inside the data, libopusfile cannot find the stream's end and rejects it.
  TDecodedSpeech speech;
  speech.Pcm = "stale";
  EXPECT_FALSE(DecodeOpusAnswer(answer.substr(0, answer.size() / 2), {48000, false}, {}, speech));
  EXPECT_TRUE(speech.Pcm.empty());
  // Cut inside the last page, the pages before it are decoded, whole frames.
  for (int32_t rate : {48000, 24000}) {
    ASSERT_TRUE(DecodeOpusAnswer(answer.substr(0, answer.size() - 7), {rate, false}, {}, speech));
    ASSERT_GT(speech.Pcm.size(), 1000u);
    EXPECT_LT(speech.Pcm.size(), 2 * static_cast<size_t>(rate));
    EXPECT_EQ(speech.Pcm.size() % 2, 0u);
  }
  // The WAV of the Opus decoder alone agrees with the pages decoded.
  std::string wav;
  ASSERT_TRUE(OpusToWav(answer.substr(0, answer.size() - 7), wav));
  EXPECT_EQ(GetUint32(wav, 40), wav.size() - kWavHeaderSize);
}

}  // namespace
}  // namespace sonacli
