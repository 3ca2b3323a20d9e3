#include "encode/output_format.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(OutputFormat, ExtensionChoosesTheFormatWhateverItsCase) {
  const struct {
    const char16_t* Name;
    std::optional<TOutputFormat> Format;
  } cases[] = {
      {u"book.wav", TOutputFormat::Wav},
      {u"book.opus", TOutputFormat::Opus},
      {u"book.OGG", TOutputFormat::Opus},
      {u"dir.v2/book.Mp3", TOutputFormat::Mp3},
      {u"book.m4b", TOutputFormat::M4b},
      {u"book.M4A", TOutputFormat::M4b},
      {u"book.flac", TOutputFormat::Flac},
      {u"book.aac", std::nullopt},
      {u"book", std::nullopt},
      {u"dir.mp3/book", std::nullopt},
      {u"book.", std::nullopt},
      {u".mp3", TOutputFormat::Mp3},
      {u"book.mp3.txt", std::nullopt},
      {u"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFromFileName(c.Name), c.Format) << ToUtf8(c.Name);
  EXPECT_EQ(ToUtf8(KnownExtensions()), ".wav, .opus, .ogg, .mp3, .m4b, .m4a, .flac");
}

TEST(OutputFormat, NamesChooseTheFormatAndStandardOutputTakesAllButM4b) {
  EXPECT_EQ(FormatFromName(u"raw"), TOutputFormat::Raw);
  EXPECT_EQ(FormatFromName(u"FLAC"), TOutputFormat::Flac);
  EXPECT_EQ(FormatFromName(u"m4b"), TOutputFormat::M4b);
  EXPECT_EQ(FormatFromName(u"ogg"), std::nullopt);
  EXPECT_EQ(FormatFromName(u""), std::nullopt);
  EXPECT_EQ(ToUtf8(StreamFormatNames()), "wav, raw, opus, mp3, flac");
  EXPECT_FALSE(CanStream(TOutputFormat::M4b));
  EXPECT_TRUE(CanStream(TOutputFormat::Opus));
  EXPECT_FALSE(IsEncoded(TOutputFormat::Raw));
  EXPECT_TRUE(IsEncoded(TOutputFormat::Flac));
}

// Every rate and channel count a run can make, against every format.
TEST(OutputFormat, CodecsCarryTheRunsRatesButOpusOnlyItsOwn) {
  const int32_t runRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000};
  for (TOutputFormat format : {TOutputFormat::Wav, TOutputFormat::Raw, TOutputFormat::Opus,
                               TOutputFormat::Mp3, TOutputFormat::M4b, TOutputFormat::Flac}) {
    for (int32_t rate : runRates) {
      for (int32_t channels : {1, 2}) {
        std::u16string error;
        const bool opusRate = rate == 8000 || rate == 16000 || rate == 24000 || rate == 48000;
        const bool expected = format != TOutputFormat::Opus || opusRate;
        EXPECT_EQ(CheckFormatCarries(format, rate, channels, error), expected) << rate;
        EXPECT_EQ(ToUtf8(error), expected ? "" : "Opus output needs a sample rate of 8, 16, 24 or 48 kHz");
      }
    }
  }
  std::u16string error;
  EXPECT_FALSE(CheckFormatCarries(TOutputFormat::Mp3, 24000, 3, error));
  EXPECT_EQ(ToUtf8(error), "MP3 output takes mono or stereo audio");
  EXPECT_FALSE(CheckFormatCarries(TOutputFormat::M4b, 6000, 1, error));
  EXPECT_EQ(ToUtf8(error), "M4B output cannot carry a sample rate of 6000 Hz");
}

}  // namespace
}  // namespace sonacli
