#include "encode/encoded_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "encode_fixtures.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ScopedTempDir;

struct FormatCase {
  TOutputFormat Format;
  const char* Extension;
  const char* Codec;
  int Rate;
  int Channels;
  int FrameSize;  // the codec's frame, in samples of the stream's rate
};

std::string Name(const FormatCase& c) {
  return std::string(c.Extension + 1) + "_" + std::to_string(c.Rate) +
         (c.Channels == 2 ? "_stereo" : "_mono");
}

const FormatCase kCases[] = {
    {TOutputFormat::Opus, ".opus", "opus", 24000, 1, 960},
    {TOutputFormat::Opus, ".ogg", "opus", 48000, 2, 960},
    {TOutputFormat::Opus, ".opus", "opus", 8000, 1, 960},
    {TOutputFormat::Mp3, ".mp3", "mp3", 24000, 1, 576},
    {TOutputFormat::Mp3, ".mp3", "mp3", 44100, 2, 1152},
    {TOutputFormat::Mp3, ".mp3", "mp3", 11025, 1, 576},
    {TOutputFormat::M4b, ".m4b", "aac", 24000, 1, 1024},
    {TOutputFormat::M4b, ".m4a", "aac", 48000, 2, 1024},
    {TOutputFormat::M4b, ".m4b", "aac", 8000, 1, 1024},
    {TOutputFormat::Flac, ".flac", "flac", 22050, 1, 4608},
    {TOutputFormat::Flac, ".flac", "flac", 44100, 2, 4608},
    {TOutputFormat::M4b, ".m4b", "aac", 48000, 1, 1024},
    {TOutputFormat::M4b, ".m4b", "aac", 24000, 2, 1024},
    {TOutputFormat::M4b, ".m4b", "aac", 44100, 2, 1024},
    {TOutputFormat::Mp3, ".mp3", "mp3", 48000, 1, 1152},
    {TOutputFormat::Mp3, ".mp3", "mp3", 16000, 2, 576},
    {TOutputFormat::Opus, ".opus", "opus", 16000, 2, 960},
    {TOutputFormat::Opus, ".opus", "opus", 48000, 1, 960},
    {TOutputFormat::Mp3, ".mp3", "mp3", 8000, 2, 576},
};

std::string_view Bytes(const std::vector<int16_t>& pcm) {
  return {reinterpret_cast<const char*>(pcm.data()), pcm.size() * sizeof(int16_t)};
}

TEncoderSettings SettingsFor(const FormatCase& c) {
  TEncoderSettings settings;
  settings.Format = c.Format;
  settings.SampleRate = c.Rate;
  settings.Channels = c.Channels;
  settings.Tags.Title = u"Война и мир: «Том 1», \"first\" part";
  settings.Tags.Author = u"Лев Толстой";
  settings.Tags.Cover = c.Channels == 1 ? testing::MakeJpeg(48, 32) : testing::MakePng(40, 30);
  return settings;
}

// The shift of `decoded` against `expected` (-8 to 8 samples) at which the two match best.
int BestLag(const std::vector<float>& expected, const std::vector<float>& decoded, int channels) {
  int best = 0;
  for (int lag = -8; lag <= 8; ++lag) {
    if (testing::Correlation(expected, decoded, channels, lag) >
        testing::Correlation(expected, decoded, channels, best))
      best = lag;
  }
  return best;
}

class EncodedOutputTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(EncodedOutputTable, ReadsBackAsAskedWithExactLengthChaptersTagsAndCover) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  const std::string file = dir.File(std::string("book") + c.Extension);
  const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 3.1);
  const int64_t frames = static_cast<int64_t>(pcm.size()) / c.Channels;
  std::u16string error;
  auto output = TEncodedOutput::CreateFile(SettingsFor(c), ToUtf16(file), error);
  ASSERT_TRUE(output) << ToUtf8(error);

  // Chapters come before, during and ahead of the audio they start.
  const int64_t second = frames / 3;
  output->AddChapter(u"Вступление", 0);
  output->AddChapter(u"Third", 2 * second + 7);
  const std::string_view bytes = Bytes(pcm);
  const size_t split = static_cast<size_t>(second) * c.Channels * 2;
  ASSERT_TRUE(output->Append(bytes.substr(0, split)));
  EXPECT_EQ(output->Frames(), second);
  output->AddChapter(u"第二章", second);
  ASSERT_TRUE(output->Append(bytes.substr(split)));
  EXPECT_EQ(output->Frames(), frames);
  ASSERT_TRUE(output->Finish()) << ToUtf8(output->Error());
  EXPECT_TRUE(output->Notes().empty());

  const testing::TReadBack back = testing::ReadBack(file);
  ASSERT_TRUE(back.Opened);
  EXPECT_EQ(back.Codec, c.Codec);
  EXPECT_EQ(back.Channels, c.Channels);
  const bool opus = c.Format == TOutputFormat::Opus;
  EXPECT_EQ(back.StreamRate, opus ? 48000 : c.Rate);
  if (opus) {
    EXPECT_EQ(back.OpusInputRate, c.Rate);
  }
  const double seconds = static_cast<double>(frames) / c.Rate;
  // libavformat counts the padding of LAME's header into an MP3's duration, and LAME may add a
  // frame of padding only: two frames there. The exact length is checked on the decoded samples.
  const int slackFrames = c.Format == TOutputFormat::Mp3 ? 2 : 1;
  EXPECT_NEAR(back.DurationSeconds, seconds,
              static_cast<double>(slackFrames * c.FrameSize) / back.StreamRate);

  const double ms = 0.0005 + 1e-9;
  ASSERT_EQ(back.Chapters.size(), 3u);
  EXPECT_EQ(back.Chapters[0].Title, "Вступление");
  EXPECT_NEAR(back.Chapters[0].StartSeconds, 0, ms);
  EXPECT_EQ(back.Chapters[1].Title, "第二章");
  EXPECT_NEAR(back.Chapters[1].StartSeconds, static_cast<double>(second) / c.Rate, ms);
  EXPECT_EQ(back.Chapters[2].Title, "Third");
  EXPECT_NEAR(back.Chapters[2].StartSeconds, static_cast<double>(2 * second + 7) / c.Rate, ms);

  const std::string title = ToUtf8(SettingsFor(c).Tags.Title);
  EXPECT_EQ(back.Tags.at("title"), title);
  EXPECT_EQ(back.Tags.at("album"), title);
  EXPECT_EQ(back.Tags.at("artist"), "Лев Толстой");
  EXPECT_EQ(back.Tags.at("album_artist"), "Лев Толстой");
  EXPECT_EQ(back.Cover, SettingsFor(c).Tags.Cover);

  EXPECT_EQ(back.DecodeErrors, 0);
  const std::vector<float> expected = testing::ToFloat(pcm);
  std::vector<float> decoded = back.Samples;
  if (opus) {
    // Every Ogg Opus stream decodes at 48 kHz.
    ASSERT_EQ(static_cast<int64_t>(decoded.size()), frames * c.Channels * (48000 / c.Rate));
    if (c.Rate != 48000) decoded = testing::Resample(decoded, c.Channels, 48000, c.Rate);
  }
  ASSERT_EQ(static_cast<int64_t>(decoded.size()), frames * c.Channels);
  if (c.Format == TOutputFormat::M4b) {
    EXPECT_GE(back.DecodedFrames, frames);
    EXPECT_LT(back.DecodedFrames, frames + 1024);
  }
  if (c.Format == TOutputFormat::Flac) {
    EXPECT_EQ(decoded, expected);
  } else {
    const double correlation = testing::Correlation(expected, decoded, c.Channels);
    EXPECT_GE(correlation, 0.99);
    // Aligned: a lossy codec may shift the phase of some partials by a fraction of a sample (Opus
    // in stereo at 48 kHz peaks a sample off), a fault in the timing moves the peak by hundreds.
    EXPECT_LE(std::abs(BestLag(expected, decoded, c.Channels)), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedOutputTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return Name(info.param); });

}  // namespace
}  // namespace sonacli
