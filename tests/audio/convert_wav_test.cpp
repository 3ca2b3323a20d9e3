#include "audio/convert_wav.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>

#include "audio/audio_error.h"
#include "audio/resampler.h"
#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "audio_fixtures.h"
#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ChannelSamples;
using testing::MakeSine;
using testing::MakeWavBytes;
using testing::MeasureFrequency;
using testing::MeasureRms;
using testing::ReadFile;
using testing::ScopedTempDir;
using testing::WriteSoundFile;

std::string Convert(const std::string& wav, int32_t rate, int32_t channels, int32_t bits,
                    TMSConverterMode mode = TMSConverterMode::msmMonoToBoth) {
  const auto reader = TWaveIn::OpenMemory(wav);
  std::string out;
  // A fatal check cannot leave a function that returns a value; the reader is needed below.
  if (reader == nullptr) {
    ADD_FAILURE() << "no reader for the WAV";
    return out;
  }
  ConvertWav(*reader, out, rate, channels, bits, mode);
  return out;
}

TEST(ConvertWav, ResamplerDeliversTheAnnouncedWholeFrameLength) {
  struct Case {
    int32_t inRate;
    int32_t channels;
    size_t inBytes;
    int32_t outRate;
    uint32_t outBytes;
  };
  const Case cases[] = {
      {48000, 1, 96000, 24000, 48000}, {48000, 1, 96000, 22050, 44100}, {48000, 1, 1000, 22050, 458},
      {48000, 2, 1000, 44100, 916},    {24000, 1, 0, 8000, 0},          {48000, 1, 1000, 1000, 918},
  };  // an out rate of 1000 is out of range and becomes 44100
  for (const Case& c : cases) {
    const std::string wav = MakeWavBytes(std::vector<int16_t>(c.inBytes / 2, 1000), c.inRate, c.channels);
    const std::string out = Convert(wav, c.outRate, 0, 0);
    ASSERT_EQ(out.size(), kWavHeaderSize + c.outBytes) << c.outRate;
    EXPECT_EQ(GetUint32(out, 40), c.outBytes);
    EXPECT_EQ(GetUint32(out, 24), static_cast<uint32_t>(c.outRate == 1000 ? 44100 : c.outRate));
  }
}

TEST(ConvertWav, SineKeepsFrequencyAndLevelAtEveryOutputRate) {
  const std::string wav = MakeWavBytes(MakeSine(48000, 1, 1000, 16000, 0.5), 48000, 1);
  for (int32_t rate : {8000, 11025, 16000, 22050, 24000, 32000, 44100}) {
    const auto samples = ChannelSamples(Convert(wav, rate, 0, 0), 1, 0);
    ASSERT_EQ(samples.size(), static_cast<size_t>(rate / 2));
    EXPECT_NEAR(MeasureFrequency(samples, rate), 1000, 0.5) << rate;
    EXPECT_NEAR(MeasureRms(samples), 16000 / std::sqrt(2.0), 16000 * 0.005) << rate;
    // The filter's tail is supplied by the silence after the signal: the end is not cut short.
    EXPECT_GT(MeasureRms(std::vector<int16_t>(samples.end() - rate / 100, samples.end())), 0);
  }
}

TEST(ConvertWav, ChannelModesAndTheMeanOfTwoChannels) {
  const std::vector<int16_t> mono = {0, 1000, -1000, 32767, -32768, 12345};
  const std::string monoWav = MakeWavBytes(mono, 24000, 1);
  const auto round16 = [](double x) {
    return static_cast<int16_t>(std::nearbyint(std::clamp(x, -1.0, 1.0) * 32767));
  };
  struct Case {
    TMSConverterMode mode;
    double left;
    double right;
  };
  for (const Case& c :
       {Case{TMSConverterMode::msmMonoToBoth, 1, 1}, Case{TMSConverterMode::msmMonoToLeft, 1, 0.4},
        Case{TMSConverterMode::msmMonoToRight, 0.4, 1}}) {
    const std::string out = Convert(monoWav, 24000, 2, 16, c.mode);
    ASSERT_EQ(out.size(), kWavHeaderSize + mono.size() * 4);
    const auto left = ChannelSamples(out, 2, 0);
    const auto right = ChannelSamples(out, 2, 1);
    for (size_t i = 0; i < mono.size(); ++i) {
      const float x = mono[i] / 32768.0f;
      EXPECT_EQ(left[i], round16(static_cast<float>(c.left * x))) << i;
      EXPECT_EQ(right[i], round16(static_cast<float>(c.right * x))) << i;
    }
  }
  EXPECT_EQ(ChannelSamples(Convert(monoWav, 24000, 2, 16), 2, 0)[3], 32766);  // full scale loses one step

  const std::string stereoWav = MakeWavBytes({1000, 3000, -32768, -32768, 32767, -32767}, 24000, 2);
  EXPECT_EQ(ChannelSamples(Convert(stereoWav, 24000, 1, 16), 1, 0), (std::vector<int16_t>{2000, -32767, 0}));
}

TEST(ConvertWav, MoreThanTwoChannelsAreMixedDownToTheMean) {
  // Two frames of six channels; each output channel carries the mean of all six.
  const std::string sixWav = MakeWavBytes(
      {600, 1200, 1800, 2400, 3000, 3600, -32768, -32768, -32768, -32768, -32768, 32767}, 24000, 6);
  const std::vector<int16_t> mean = {2100, -21845};
  for (const int32_t channels : {1, 2}) {
    const std::string out = Convert(sixWav, 24000, channels, 16);
    ASSERT_EQ(out.size(), kWavHeaderSize + 2u * 2 * static_cast<size_t>(channels)) << channels;
    EXPECT_EQ(GetUint16(out, 22), channels);
    for (int32_t c = 0; c < channels; ++c) EXPECT_EQ(ChannelSamples(out, channels, c), mean) << channels;
  }
}

TEST(ConvertWav, SampleWidthConversionsFollowTheirRounding) {
  uint8_t bytes[4] = {};
  struct Case {
    float value;
    int32_t bits;
    int64_t expected;  // the stored sample as an unsigned (8-bit) or signed integer
  };
  const Case cases[] = {{1.5f, 16, 32767},       {-1.0f, 16, -32767}, {0.5f, 16, 16384},
                        {1.0f, 8, 255},          {-1.0f, 8, 0},       {0.0f, 8, 128},
                        {-0.5f, 24, -4194304},   {0.5f, 24, 4194303}, {1.0f, 32, 2147483647},
                        {-2.0f, 32, -2147483647}};
  for (const Case& c : cases) {
    FloatToSample(c.value, bytes, c.bits);
    int64_t stored = 0;
    if (c.bits == 8) {
      stored = bytes[0];
    } else {
      const int n = c.bits / 8;
      uint32_t raw = 0;
      for (int b = 0; b < n; ++b) raw |= uint32_t{bytes[b]} << (8 * (4 - n + b));
      stored = static_cast<int32_t>(raw) >> (8 * (4 - n));
    }
    EXPECT_EQ(stored, c.expected) << c.value << " at " << c.bits;
    if (c.bits != 8 && std::abs(c.value) <= 1) {
      EXPECT_NEAR(SampleToFloat(bytes, c.bits), c.value, 1e-4);
    }
  }
  const uint8_t u8 = 0;
  EXPECT_EQ(SampleToFloat(&u8, 8), -1.0f);
}

TEST(ConvertWav, EightBitSilenceStaysSilentToTheEnd) {
  // 8-bit samples are unsigned: silence is 0x80, and so is the silence fed in after the signal.
  const std::string wav = MakeWavHeader(48000, 1, 8, 4800) + std::string(4800, '\x80');
  const std::string out = Convert(wav, 22050, 0, 0);
  ASSERT_EQ(out.size(), kWavHeaderSize + 2205);
  EXPECT_EQ(out.find_first_not_of('\x80', kWavHeaderSize), std::string::npos);
}

TEST(ConvertWav, StageErrorsCarryTheProgramsTexts) {
  const std::string slowWav = MakeWavBytes(std::vector<int16_t>(100, 1), 2000, 1);
  const std::string fastWav = MakeWavBytes(std::vector<int16_t>(100, 1), 4000000, 1);
  try {
    Convert(fastWav, 8000, 0, 0);
    ADD_FAILURE() << "no error";
  } catch (const TAudioError& error) {
    EXPECT_STREQ(error.what(), "Frequences ratio 0.002 is invalid");
  }
  EXPECT_NO_THROW(Convert(slowWav, 120000, 0, 0));  // a ratio of 60 is valid

  const auto reader = TWaveIn::OpenMemory(slowWav);
  TResampler resampler(reader.get());
  resampler.SetOutSampleRate(8000);
  resampler.Start();
  EXPECT_THROW(resampler.Start(), TAudioError);
  TResampler unconnected(nullptr);
  EXPECT_THROW(unconnected.Start(), TAudioError);
}

class AudioInsert : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir_.File(name); }
  static bool Load(const std::string& name, std::string& out, int32_t rate = 24000, int32_t channels = 1) {
    return LoadAudioInsert(ToUtf16(name), out, rate, 16, channels);
  }

  ScopedTempDir dir_;
  const std::vector<int16_t> sine_ = MakeSine(24000, 1, 500, 12000, 0.25);
};

TEST_F(AudioInsert, CanonicalWavInTheOutputFormatIsCopiedByteForByte) {
  const std::string name = File("same.wav");
  testing::WriteFile(name, MakeWavBytes(sine_, 24000, 1));
  std::string out;
  ASSERT_TRUE(Load(name, out));
  EXPECT_TRUE(out == ReadFile(name));
}

TEST_F(AudioInsert, ExtraChunksNeverReachTheSamples) {
  // libsndfile writes a "LIST" chunk with a title string, and a "fact" chunk for float data.
  for (int subtype : {SF_FORMAT_PCM_16, SF_FORMAT_FLOAT}) {
    const std::string name = File("chunks.wav");
    SF_INFO info{24000, 24000, 1, SF_FORMAT_WAV | subtype, 0, 0};
    SNDFILE* file = sf_open(name.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_set_string(file, SF_STR_TITLE, "a title that would be noise");
    sf_writef_short(file, sine_.data(), static_cast<sf_count_t>(sine_.size()));
    sf_close(file);
    ASSERT_FALSE(HasCanonicalWavHeader(ReadFile(name)));
    std::string out;
    ASSERT_TRUE(Load(name, out));
    ASSERT_TRUE(HasCanonicalWavHeader(out));
    const auto samples = ChannelSamples(out, 1, 0);
    ASSERT_EQ(samples.size(), sine_.size());
    for (size_t i = 0; i < samples.size(); ++i)
      ASSERT_NEAR(samples[i], sine_[i], 1) << subtype << " at " << i;
  }
}

TEST_F(AudioInsert, EncodingsAndMp3ComeInTheOutputFormat) {
  struct Case {
    std::string name;
    int format;
    int rate;
    int channels;
  };
  const Case cases[] = {
      {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 44100, 2},
      {"ms.WAV", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 44100, 2},
      {"extensible.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 44100, 2},
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 44100, 2},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2},
      // libsndfile 1.2.0 garbles stereo MP3 when it encodes (it decodes stereo well): mono here.
      {"speech.MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1},
  };
  for (const Case& c : cases) {
    const std::string name = File(c.name);
    ASSERT_TRUE(
        WriteSoundFile(name, c.format, MakeSine(c.rate, c.channels, 500, 12000, 0.5), c.rate, c.channels))
        << c.name;
    std::string out;
    ASSERT_TRUE(Load(name, out)) << c.name;
    EXPECT_EQ(GetUint32(out, 24), 24000u);
    EXPECT_EQ(GetUint16(out, 22), 1u);
    EXPECT_EQ(GetUint32(out, 40), out.size() - kWavHeaderSize);
    const auto samples = ChannelSamples(out, 1, 0);
    EXPECT_NEAR(static_cast<double>(samples.size()), 12000, 1200) << c.name;  // MP3 adds its frames' padding
    EXPECT_NEAR(MeasureFrequency(samples, 24000), 500, 1) << c.name;
    EXPECT_NEAR(MeasureRms(samples), 12000 / std::sqrt(2.0), 12000 * 0.05) << c.name;
  }
}

TEST_F(AudioInsert, Mp3IsAsLongAsItDecodesNotAsItsHeaderClaims) {
  const std::string name = File("claims_hours.mp3");
  ASSERT_TRUE(WriteSoundFile(name, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, sine_, 24000, 1));
  // The Xing header after the first frame header: "Xing", flags, then the frame count when flag 1 is set.
  std::string bytes = ReadFile(name);
  const size_t xing = bytes.find("Xing");
  ASSERT_NE(xing, std::string::npos);
  ASSERT_TRUE(bytes[xing + 7] & 1);
  bytes.replace(xing + 8, 4, std::string("\x00\x01\x00\x00", 4));  // 65536 frames: over 20 minutes
  testing::WriteFile(name, bytes);
  std::string out;
  ASSERT_TRUE(Load(name, out));
  EXPECT_EQ(GetUint32(out, 40), out.size() - kWavHeaderSize);
  // MP3 adds its frames' padding.
  EXPECT_NEAR(static_cast<double>(ChannelSamples(out, 1, 0).size()), static_cast<double>(sine_.size()), 1200);
}

TEST_F(AudioInsert, UnreadableFilesAndOtherExtensionsFail) {
  const std::string wav = MakeWavBytes(sine_, 24000, 1);
  std::string zeroFmt = wav;
  PutUint32(zeroFmt, 16, 0);
  std::string longData = wav;
  PutUint32(longData, 40, 0x7FFFFF00);
  struct Case {
    std::string name;
    std::string bytes;
    bool loads;
  };
  const Case cases[] = {
      {"empty.wav", "", false},
      {"zero_fmt.wav", zeroFmt, false},
      {"truncated_fmt.wav", wav.substr(0, 30), false},
      {"text.mp3", "This is not an MP3 file, only some text that pretends to be one.\n", false},
      {"empty.mp3", "", false},
      {"sound.ogg", testing::EncodeOpus(MakeSine(48000, 1, 500, 8000, 0.2), 1), false},
      {"noextension", wav, false},
      {"long_data.wav", longData, true},  // the samples that are there
  };
  for (const Case& c : cases) {
    const std::string name = File(c.name);
    testing::WriteFile(name, c.bytes);
    std::string out;
    EXPECT_EQ(Load(name, out), c.loads) << c.name;
    if (c.loads) {
      EXPECT_EQ(GetUint32(out, 40), out.size() - kWavHeaderSize);
    }
  }
  std::string out;
  EXPECT_FALSE(Load(File("missing.wav"), out));
}

}  // namespace
}  // namespace sonacli
