#include "encode/encoded_output.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
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

namespace sonacli {
namespace {

// The cases of one rate and channel count per format.
const FormatCase kFormats[] = {
    {TOutputFormat::Opus, ".opus", "opus", 24000, 1, 960},
    {TOutputFormat::Mp3, ".mp3", "mp3", 24000, 1, 576},
    {TOutputFormat::M4b, ".m4b", "aac", 24000, 1, 1024},
    {TOutputFormat::Flac, ".flac", "flac", 24000, 1, 4608},
};

std::string FormatName(const ::testing::TestParamInfo<FormatCase>& info) {
  return info.param.Extension + 1;
}

// Encodes the PCM into a file, appended in `pieces` of that many bytes (all at once with 0), with
// a chapter at its start and one in its middle; returns what Finish returned.
bool EncodeFile(const FormatCase& c, const std::string& file, const std::vector<int16_t>& pcm,
                size_t piece = 0, std::u16string* error = nullptr) {
  TEncoderSettings settings = SettingsFor(c);
  std::u16string message;
  auto output = TEncodedOutput::CreateFile(settings, ToUtf16(file), message);
  if (!output) {
    if (error != nullptr) *error = message;
    return false;
  }
  const int64_t frames = static_cast<int64_t>(pcm.size()) / c.Channels;
  output->AddChapter(u"One", 0);
  output->AddChapter(u"Two", frames / 2);
  const std::string_view bytes = Bytes(pcm);
  for (size_t at = 0; at < bytes.size(); at += piece == 0 ? bytes.size() : piece) {
    if (!output->Append(bytes.substr(at, piece == 0 ? std::string_view::npos : piece))) return false;
  }
  const bool finished = output->Finish();
  if (error != nullptr) *error = output->Error();
  return finished;
}

// The decoded length in sample frames of the PCM's rate.
int64_t PlayedFrames(const FormatCase& c, const testing::TReadBack& back) {
  const int64_t frames = static_cast<int64_t>(back.Samples.size()) / std::max(back.Channels, 1);
  return frames * c.Rate / back.StreamRate;
}

class EncodedOutputFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(EncodedOutputFormats, PlaysExactlyAsLongAsThePcmWhateverItsLength) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  // Around the frames of every codec.
  for (int64_t length : {1, 100, 575, 577, 1023, 1025, 4607, 4609, 24001, 37111}) {
    // When an MP3's audio ends in the frame where LAME's delay ends (47 samples here), libavcodec
    // drops the padding there but not the rest of the delay and plays 529 samples too many; the
    // header is right all the same (frames x 576 - delay - padding = 1).
    if (c.Format == TOutputFormat::Mp3 && length < 47) continue;
    SCOPED_TRACE(length);
    const std::string file = dir.File("length" + std::to_string(length) + c.Extension);
    std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 2.0);
    pcm.resize(static_cast<size_t>(length * c.Channels));
    std::u16string error;
    ASSERT_TRUE(EncodeFile(c, file, pcm, 0, &error)) << ToUtf8(error);
    const testing::TReadBack back = testing::ReadBack(file);
    ASSERT_TRUE(back.Opened);
    EXPECT_EQ(back.DecodeErrors, 0);
    EXPECT_EQ(PlayedFrames(c, back), length);
    if (c.Format == TOutputFormat::M4b) {
      EXPECT_EQ(back.DurationSamples, length);
    }
  }
}

TEST_P(EncodedOutputFormats, GivesTheSameBytesForTheSamePcmHoweverItIsCut) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 1.5);
  ASSERT_TRUE(EncodeFile(c, dir.File(std::string("whole") + c.Extension), pcm));
  // Pieces of an odd number of bytes: parts of sample frames, samples at odd addresses.
  ASSERT_TRUE(EncodeFile(c, dir.File(std::string("pieces") + c.Extension), pcm, 4097));
  ASSERT_TRUE(EncodeFile(c, dir.File(std::string("again") + c.Extension), pcm, 1001));
  {
    // The whole PCM at an odd address, then a piece too short for a sample frame there.
    std::u16string error;
    auto output = TEncodedOutput::CreateFile(SettingsFor(c),
                                             ToUtf16(dir.File(std::string("odd") + c.Extension)), error);
    ASSERT_TRUE(output);
    output->AddChapter(u"One", 0);
    output->AddChapter(u"Two", static_cast<int64_t>(pcm.size()) / c.Channels / 2);
    const std::string odd = "x" + std::string(Bytes(pcm)) + "y";
    ASSERT_TRUE(output->Append(std::string_view(odd).substr(1, odd.size() - 3)));
    ASSERT_TRUE(output->Append(std::string_view(odd).substr(odd.size() - 2, 1)));
    ASSERT_TRUE(output->Finish());
  }
  const std::string whole = testing::ReadFile(dir.File(std::string("whole") + c.Extension));
  EXPECT_GT(whole.size(), 1000u);
  EXPECT_EQ(testing::ReadFile(dir.File(std::string("pieces") + c.Extension)), whole);
  EXPECT_EQ(testing::ReadFile(dir.File(std::string("again") + c.Extension)), whole);
  EXPECT_EQ(testing::ReadFile(dir.File(std::string("odd") + c.Extension)), whole);
}

TEST_P(EncodedOutputFormats, AFileFinishedAfterHalfItsAudioPlaysToItsEnd) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  const std::string file = dir.File(std::string("half") + c.Extension);
  const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 2.0);
  const int64_t half = static_cast<int64_t>(pcm.size()) / c.Channels / 2 + 13;
  std::u16string error;
  auto output = TEncodedOutput::CreateFile(SettingsFor(c), ToUtf16(file), error);
  ASSERT_TRUE(output);
  output->AddChapter(u"Made", 0);
  // The run was stopped before the piece this chapter starts with.
  output->AddChapter(u"Never made", half + 100);
  ASSERT_TRUE(output->Append(Bytes(pcm).substr(0, static_cast<size_t>(half) * c.Channels * 2)));
  ASSERT_TRUE(output->Finish()) << ToUtf8(output->Error());
  EXPECT_TRUE(output->Finish());  // once is enough
  EXPECT_FALSE(output->Append(Bytes(pcm)));

  const testing::TReadBack back = testing::ReadBack(file);
  ASSERT_TRUE(back.Opened);
  EXPECT_EQ(back.DecodeErrors, 0);
  EXPECT_EQ(PlayedFrames(c, back), half);
  ASSERT_EQ(back.Chapters.size(), 1u);
  EXPECT_EQ(back.Chapters[0].Title, "Made");
}

TEST_P(EncodedOutputFormats, StoresExtremeTitlesAndEmptyChapters) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  const std::string file = dir.File(std::string("titles") + c.Extension);
  std::u16string longTitle;
  while (longTitle.size() < 1000) longTitle += u"Глава «долгая» 長い章 ";
  longTitle.resize(1000);
  const std::vector<std::u16string> titles = {
      longTitle,
      u"\"Quoted\" and 'single', a=b; #hash \\ back",
      u"Two\nlines\r\nand a\ttab",
      u"Emoji 📖 and عربي and עברית",
  };
  TEncoderSettings settings = SettingsFor(c);
  settings.Tags.Title = longTitle;
  settings.Tags.Author = u"Line\nbreak \"author\"";
  std::u16string error;
  auto output = TEncodedOutput::CreateFile(settings, ToUtf16(file), error);
  ASSERT_TRUE(output);
  const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 1.0);
  // Chapters 2 and 3 start at one sample: the first of them is empty.
  const int64_t starts[] = {0, 4800, 4800, 14400};
  for (size_t i = 0; i < titles.size(); ++i) output->AddChapter(titles[i], starts[i]);
  ASSERT_TRUE(output->Append(Bytes(pcm)));
  ASSERT_TRUE(output->Finish());

  const testing::TReadBack back = testing::ReadBack(file);
  ASSERT_TRUE(back.Opened);
  EXPECT_EQ(back.Tags.at("title"), ToUtf8(longTitle));
  EXPECT_EQ(back.Tags.at("artist"), "Line break \"author\"");
  ASSERT_EQ(back.Chapters.size(), titles.size());
  for (size_t i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(back.Chapters[i].Title, ToUtf8(OneLineTitle(titles[i])));
    EXPECT_NEAR(back.Chapters[i].StartSeconds, starts[i] / 24000.0, 0.0005 + 1e-9);
  }
  EXPECT_EQ(back.Chapters[2].Title, "Two lines  and a tab");
}

TEST_P(EncodedOutputFormats, StoresTenThousandChaptersAsFarAsTheFormatHoldsThem) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  const std::string file = dir.File(std::string("many") + c.Extension);
  std::u16string error;
  auto output = TEncodedOutput::CreateFile(SettingsFor(c), ToUtf16(file), error);
  ASSERT_TRUE(output);
  // One chapter every millisecond, each named after its number.
  for (int i = 0; i < 10000; ++i) output->AddChapter(u"Chapter " + ToUtf16(std::to_string(i + 1)), i * 24);
  ASSERT_TRUE(output->Append(Bytes(testing::SpeechLike(c.Rate, c.Channels, 10.5))));
  ASSERT_TRUE(output->Finish()) << ToUtf8(output->Error());

  const size_t stored = std::min<size_t>(10000, MaxChapters(c.Format));
  if (stored < 10000) {
    ASSERT_EQ(output->Notes().size(), 1u);
    EXPECT_EQ(ToUtf8(output->Notes()[0]),
              "Only the first " + std::to_string(stored) +
                  " of 10000 chapters are stored: " + ToUtf8(FormatTitle(c.Format)) + " holds no more");
  } else {
    EXPECT_TRUE(output->Notes().empty());
  }
  const testing::TReadBack back = testing::ReadBack(file);
  ASSERT_TRUE(back.Opened);
  ASSERT_EQ(back.Chapters.size(), stored);
  for (size_t i : {size_t{0}, size_t{1}, stored / 2, stored - 1}) {
    EXPECT_EQ(back.Chapters[i].Title, "Chapter " + std::to_string(i + 1));
    EXPECT_NEAR(back.Chapters[i].StartSeconds, static_cast<double>(i) / 1000, 1e-6);
  }
  EXPECT_EQ(PlayedFrames(c, back), 252000);
}

TEST_P(EncodedOutputFormats, SavesNoFileWithoutAudio) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  std::u16string error;
  auto output = TEncodedOutput::CreateFile(SettingsFor(c),
                                           ToUtf16(dir.File(std::string("empty") + c.Extension)), error);
  ASSERT_TRUE(output);
  output->AddChapter(u"Nothing", 0);
  EXPECT_FALSE(output->Finish());
  EXPECT_EQ(ToUtf8(output->Error()), "There is no audio to save");
}

TEST_P(EncodedOutputFormats, ReportsAFullDisk) {
  const FormatCase& c = GetParam();
  ScopedTempDir dir;
  const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 1.0);
  testing::ScopedFileSizeLimit limit(100000);
  std::u16string error;
  auto output =
      TEncodedOutput::CreateFile(SettingsFor(c), ToUtf16(dir.File(std::string("full") + c.Extension)), error);
  ASSERT_TRUE(output) << ToUtf8(error);
  bool appended = true;
  for (int i = 0; i < 60 && appended; ++i) appended = output->Append(Bytes(pcm));
  EXPECT_FALSE(appended);
  EXPECT_EQ(output->WriteError(), EFBIG);
  EXPECT_EQ(ToUtf8(output->Error()), "Cannot write the audio file: File too large");
  EXPECT_FALSE(output->Append(Bytes(pcm)));
  EXPECT_FALSE(output->Finish());
  EXPECT_EQ(ToUtf8(output->Error()), "Cannot write the audio file: File too large");
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedOutputFormats, ::testing::ValuesIn(kFormats), FormatName);

}  // namespace
}  // namespace sonacli

namespace sonacli {
namespace {

TEST(EncodedOutput, KeepsTheCompleteAudioWhenItsChaptersCannotBeWritten) {
  for (const FormatCase& c : kFormats) {
    // MP4 writes its chapters with its index, in the one pass.
    if (c.Format == TOutputFormat::M4b) continue;
    SCOPED_TRACE(c.Extension);
    ScopedTempDir dir;
    const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 1.0);
    std::u16string error;
    auto plain = TEncodedOutput::CreateFile(SettingsFor(c),
                                            ToUtf16(dir.File(std::string("plain") + c.Extension)), error);
    ASSERT_TRUE(plain && plain->Append(Bytes(pcm)) && plain->Finish());
    const size_t plainSize = testing::ReadFile(dir.File(std::string("plain") + c.Extension)).size();

    // Room for the audio, not for the header with the chapters.
    const std::string file = dir.File(std::string("book") + c.Extension);
    testing::ScopedFileSizeLimit limit(plainSize + 10);
    auto output = TEncodedOutput::CreateFile(SettingsFor(c), ToUtf16(file), error);
    ASSERT_TRUE(output);
    for (int i = 0; i < 50; ++i) output->AddChapter(u"Chapter with a long enough title", i * 400);
    ASSERT_TRUE(output->Append(Bytes(pcm)));
    ASSERT_TRUE(output->Finish());
    ASSERT_EQ(output->Notes().size(), 1u);
    EXPECT_EQ(ToUtf8(output->Notes()[0]),
              "Chapters not stored: Cannot write the file with its chapters: File too large");
    EXPECT_FALSE(std::filesystem::exists(file + ".chapters"));
    const testing::TReadBack back = testing::ReadBack(file);
    EXPECT_EQ(back.DecodeErrors, 0);
    EXPECT_EQ(PlayedFrames(c, back), 24000);
    EXPECT_TRUE(back.Chapters.empty());
  }
}

TEST(EncodedOutput, StreamsCarryTagsAndCoverButNoChapters) {
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.Extension);
    ScopedTempDir dir;
    const std::string file = dir.File(std::string("stream") + c.Extension);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    // A cover larger than any usual write buffer: the header must still go out whole.
    TEncoderSettings settings = SettingsFor(c);
    settings.Tags.Cover = testing::MakePng(1200, 900, true);
    ASSERT_GT(settings.Tags.Cover.size(), size_t{1} << 20);
    std::u16string error;
    auto output = TEncodedOutput::CreateStream(settings, fd, error);
    if (c.Format == TOutputFormat::M4b) {
      EXPECT_FALSE(output);
      EXPECT_EQ(ToUtf8(error), "M4B output needs a file it can seek in, not a stream");
      ::close(fd);
      continue;
    }
    ASSERT_TRUE(output) << ToUtf8(error);
    EXPECT_FALSE(output->StoresChapters());
    output->AddChapter(u"Not stored", 0);
    const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 1.5);
    ASSERT_TRUE(output->Append(Bytes(pcm)));
    ASSERT_TRUE(output->Finish()) << ToUtf8(output->Error());
    EXPECT_TRUE(output->Notes().empty());
    ::close(fd);

    const testing::TReadBack back = testing::ReadBack(file);
    ASSERT_TRUE(back.Opened);
    EXPECT_EQ(back.DecodeErrors, 0);
    EXPECT_EQ(back.Tags.at("title"), ToUtf8(settings.Tags.Title));
    EXPECT_EQ(back.Cover, settings.Tags.Cover);
    EXPECT_TRUE(back.Chapters.empty());
    if (c.Format == TOutputFormat::Mp3) {
      // No gapless header: the encoder's delay and padding play too.
      EXPECT_GT(PlayedFrames(c, back), 36000);
      EXPECT_LT(PlayedFrames(c, back), 36000 + 1105 + 2 * 576);
    } else {
      EXPECT_EQ(PlayedFrames(c, back), 36000);
    }
  }
}

TEST(EncodedOutput, AStreamWhoseReaderWentAwayFails) {
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  for (const FormatCase& c : kFormats) {
    if (c.Format == TOutputFormat::M4b) continue;
    SCOPED_TRACE(c.Extension);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    std::u16string error;
    auto output = TEncodedOutput::CreateStream(SettingsFor(c), fds[1], error);
    // The MP3 and FLAC muxers write their header out with the cover, at once; Ogg with the audio.
    if (output) {
      const std::vector<int16_t> pcm = testing::SpeechLike(c.Rate, c.Channels, 1.0);
      bool appended = true;
      for (int i = 0; i < 60 && appended; ++i) appended = output->Append(Bytes(pcm));
      EXPECT_FALSE(appended);
      EXPECT_EQ(output->WriteError(), EPIPE);
      error = output->Error();
      EXPECT_FALSE(output->Finish());
    }
    EXPECT_EQ(ToUtf8(error), "Cannot write the audio stream: Broken pipe");
    ::close(fds[1]);
  }
  std::signal(SIGPIPE, previous);
}

struct BadSettings {
  TOutputFormat Format;
  int Rate;
  int Channels;
  int Kbps;
  const char* Cover;
  const char* Message;
};

TEST(EncodedOutput, RefusesSettingsItCannotEncodeAndLeavesNoFile) {
  const BadSettings cases[] = {
      {TOutputFormat::Wav, 24000, 1, 0, "", "WAV output is not encoded"},
      {TOutputFormat::Opus, 44100, 1, 0, "", "Opus output needs a sample rate of 8, 16, 24 or 48 kHz"},
      {TOutputFormat::Opus, 24000, 3, 0, "", "Opus output takes mono or stereo audio"},
      {TOutputFormat::Mp3, 24000, 1, 100, "",
       "MP3 at 24000 Hz takes a bitrate of 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 kbps"},
      {TOutputFormat::Flac, 24000, 1, 64, "", "FLAC is lossless: a bitrate does not apply"},
      {TOutputFormat::M4b, 24000, 1, 10000, "", "Bitrate out of range for AAC: 16 to 144 kbps"},
      {TOutputFormat::M4b, 24000, 1, 0, "GIF89a\x01\x00\x01\x00", "Cover is not a JPEG or PNG image"},
  };
  ScopedTempDir dir;
  for (const BadSettings& bad : cases) {
    SCOPED_TRACE(bad.Message);
    TEncoderSettings settings;
    settings.Format = bad.Format;
    settings.SampleRate = bad.Rate;
    settings.Channels = bad.Channels;
    settings.BitrateKbps = bad.Kbps;
    settings.Tags.Cover = bad.Cover;
    std::u16string error;
    EXPECT_FALSE(TEncodedOutput::CreateFile(settings, ToUtf16(dir.File("out")), error));
    EXPECT_EQ(ToUtf8(error), bad.Message);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
  }
}

TEST(EncodedOutput, SaysWhichFileItCannotCreate) {
  ScopedTempDir dir;
  std::u16string error;
  EXPECT_FALSE(
      TEncodedOutput::CreateFile(SettingsFor(kFormats[0]), ToUtf16(dir.File("missing/book.opus")), error));
  EXPECT_EQ(ToUtf8(error), "Cannot create the audio file book.opus: No such file or directory");
}

}  // namespace
}  // namespace sonacli

namespace sonacli {
namespace {

// LAME ending with a packet of padding only makes FFmpeg warn ("Trying to remove 576 samples, but
// the queue is empty"); the program says in its own words what fails, and nothing of FFmpeg's.
TEST(EncodedOutput, KeepsFfmpegsLogOffTheConsole) {
  ScopedTempDir dir;
  const std::string log = dir.File("stderr.txt");
  const int saved = ::dup(STDERR_FILENO);
  const int capture = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(capture, 0);
  ::dup2(capture, STDERR_FILENO);
  FormatCase c = kFormats[1];
  c.Rate = 8000;
  c.Channels = 2;
  std::vector<int16_t> pcm = testing::SpeechLike(8000, 2, 4);
  pcm.resize(24800 * 2);
  const bool encoded = EncodeFile(c, dir.File("book.mp3"), pcm);
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(capture);
  EXPECT_TRUE(encoded);
  EXPECT_EQ(testing::ReadFile(log), "");
}

}  // namespace
}  // namespace sonacli
