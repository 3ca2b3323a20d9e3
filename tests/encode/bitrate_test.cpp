#include "encode/bitrate.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(Bitrate, ParsesWholePositiveNumbersOnly) {
  const struct {
    const char16_t* Text;
    int32_t Kbps;  // 0: refused
  } cases[] = {
      {u"64", 64}, {u"6", 6},   {u"0320", 320}, {u"10000", 10000}, {u"99999999999999999999", 1000000},
      {u"0", 0},   {u"000", 0}, {u"abc", 0},    {u"", 0},          {u"-5", 0},
      {u"+5", 0},  {u"64k", 0}, {u" 64", 0},    {u"6.4", 0},       {u"٦٤", 0},
  };
  for (const auto& c : cases) {
    int32_t kbps = -1;
    std::u16string error;
    EXPECT_EQ(ParseBitrate(c.Text, kbps, error), c.Kbps != 0) << ToUtf8(c.Text);
    if (c.Kbps != 0) {
      EXPECT_EQ(kbps, c.Kbps);
    } else {
      EXPECT_EQ(ToUtf8(error), "Wrong bitrate value (a whole number of kbps from 1 up): " + ToUtf8(c.Text));
    }
  }
}

TEST(Bitrate, EachCodecTakesItsOwnRange) {
  const struct {
    TOutputFormat Format;
    int32_t Rate;
    int32_t Channels;
    int32_t Kbps;
    const char* Error;  // empty: taken
  } cases[] = {
      {TOutputFormat::Opus, 24000, 1, 0, ""},
      {TOutputFormat::Opus, 24000, 1, 6, ""},
      {TOutputFormat::Opus, 24000, 1, 5, "Bitrate out of range for Opus: 6 to 256 kbps"},
      {TOutputFormat::Opus, 48000, 1, 257, "Bitrate out of range for Opus: 6 to 256 kbps"},
      {TOutputFormat::Opus, 48000, 2, 512, ""},
      {TOutputFormat::Opus, 48000, 2, 10000, "Bitrate out of range for Opus: 6 to 512 kbps"},
      {TOutputFormat::Mp3, 44100, 2, 320, ""},
      {TOutputFormat::Mp3, 44100, 1, 24,
       "MP3 at 44100 Hz takes a bitrate of 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 "
       "kbps"},
      {TOutputFormat::Mp3, 22050, 1, 144, ""},
      {TOutputFormat::Mp3, 22050, 1, 100,
       "MP3 at 22050 Hz takes a bitrate of 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 kbps"},
      {TOutputFormat::Mp3, 11025, 2, 80,
       "MP3 at 11025 Hz takes a bitrate of 8, 16, 24, 32, 40, 48, 56, 64 kbps"},
      {TOutputFormat::M4b, 24000, 1, 144, ""},
      {TOutputFormat::M4b, 24000, 1, 145, "Bitrate out of range for AAC: 16 to 144 kbps"},
      {TOutputFormat::M4b, 8000, 2, 96, ""},
      {TOutputFormat::M4b, 48000, 2, 320, ""},
      {TOutputFormat::M4b, 48000, 2, 10000, "Bitrate out of range for AAC: 16 to 320 kbps"},
      {TOutputFormat::M4b, 48000, 1, 15, "Bitrate out of range for AAC: 16 to 288 kbps"},
      {TOutputFormat::Flac, 24000, 1, 0, ""},
      {TOutputFormat::Flac, 24000, 1, 64, "FLAC is lossless: a bitrate does not apply"},
      {TOutputFormat::Wav, 24000, 1, 64, "WAV output has no bitrate to choose"},
      {TOutputFormat::Raw, 24000, 1, 64, "raw PCM output has no bitrate to choose"},
  };
  for (const auto& c : cases) {
    std::u16string error;
    EXPECT_EQ(CheckBitrate(c.Format, c.Rate, c.Channels, c.Kbps, error), *c.Error == '\0')
        << ToUtf8(FormatTitle(c.Format)) << " " << c.Rate << " " << c.Kbps;
    EXPECT_EQ(ToUtf8(error), c.Error);
  }
}

// The defaults hold for every rate and channel count a run can make.
TEST(Bitrate, DefaultsSuitSpeechAndAreTakenEverywhere) {
  const int32_t runRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000};
  for (TOutputFormat format : {TOutputFormat::Opus, TOutputFormat::Mp3, TOutputFormat::M4b}) {
    for (int32_t rate : runRates) {
      for (int32_t channels : {1, 2}) {
        std::u16string error;
        const int32_t kbps = DefaultBitrate(format, rate, channels);
        EXPECT_TRUE(CheckBitrate(format, rate, channels, kbps, error)) << ToUtf8(error);
      }
    }
  }
  EXPECT_EQ(DefaultBitrate(TOutputFormat::Opus, 24000, 1), 32);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::Opus, 48000, 2), 64);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::Mp3, 24000, 1), 64);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::Mp3, 44100, 2), 96);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::Mp3, 8000, 2), 64);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::M4b, 24000, 1), 64);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::M4b, 48000, 2), 128);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::M4b, 8000, 1), 48);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::M4b, 8000, 2), 96);
  EXPECT_EQ(DefaultBitrate(TOutputFormat::Flac, 24000, 1), 0);
}

}  // namespace
}  // namespace sonacli
