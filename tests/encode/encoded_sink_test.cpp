#include "encode/encoded_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/wav_file_sink.h"
#include "audio/wav_header.h"
#include "common/unicode_text.h"
#include "encode/chapter_split_sink.h"
#include "encode_fixtures.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ScopedTempDir;

std::string Bytes(const std::vector<int16_t>& samples) {
  return std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
}

TEncoderSettings Settings(TOutputFormat format, int channels) {
  TEncoderSettings settings;
  settings.Format = format;
  settings.SampleRate = 24000;
  settings.Channels = channels;
  settings.Tags.Title = u"Книга";
  return settings;
}

// The run's sink passes its chapters to the encoder, which stores them where each format keeps
// them, at the sample they were given, with their titles.
TEST(EncodedSink, StoresTheChaptersItIsGiven) {
  ScopedTempDir dir;
  const std::vector<int16_t> pcm = testing::SpeechLike(24000, 1, 3.0);
  for (TOutputFormat format :
       {TOutputFormat::Opus, TOutputFormat::Mp3, TOutputFormat::M4b, TOutputFormat::Flac}) {
    const std::string file = dir.File("book" + ToUtf8(FormatExtension(format)));
    SCOPED_TRACE(file);
    std::u16string error;
    std::unique_ptr<TEncodedSink> sink = TEncodedSink::CreateFile(Settings(format, 1), ToUtf16(file), error);
    ASSERT_TRUE(sink) << ToUtf8(error);
    EXPECT_EQ(sink->Format(), (TAudioFormat{24000, 1, 16}));
    ASSERT_TRUE(sink->Append(Bytes(pcm)));
    EXPECT_EQ(sink->Frames(), 72000);
    TAudioSink& asSink = *sink;
    asSink.AddChapter(u"Первая \"глава\"", 0);
    asSink.AddChapter(u"Second", 30000);
    ASSERT_TRUE(sink->Finish()) << ToUtf8(sink->Error());
    EXPECT_TRUE(sink->Notes().empty());
    const testing::TReadBack back = testing::ReadBack(file);
    ASSERT_EQ(back.Chapters.size(), 2u);
    EXPECT_EQ(back.Chapters[0].Title, "Первая \"глава\"");
    EXPECT_NEAR(back.Chapters[0].StartSeconds, 0, 0.001);
    EXPECT_EQ(back.Chapters[1].Title, "Second");
    EXPECT_NEAR(back.Chapters[1].StartSeconds, 1.25, 0.001);
    EXPECT_EQ(back.Tags.at("title"), "Книга");
  }
}

TEST(EncodedSink, RefusesWhatItCannotEncode) {
  ScopedTempDir dir;
  TEncoderSettings settings = Settings(TOutputFormat::Opus, 1);
  settings.SampleRate = 44100;
  std::u16string error;
  EXPECT_FALSE(TEncodedSink::CreateFile(settings, ToUtf16(dir.File("a.opus")), error));
  EXPECT_EQ(error, u"Opus output needs a sample rate of 8, 16, 24 or 48 kHz");
  EXPECT_FALSE(TEncodedSink::CreateStream(Settings(TOutputFormat::M4b, 1), 1, error));
  EXPECT_EQ(error, u"M4B output needs a file it can seek in, not a stream");
}

TEST(ChapterFileName, NumberedAndSafe) {
  const struct {
    size_t number;
    size_t count;
    std::u16string title;
    TOutputFormat format;
    std::u16string name;
  } rows[] = {
      {1, 3, u"Intro", TOutputFormat::Mp3, u"001 Intro.mp3"},
      {12, 1200, u"a/b\\c:d*e?f\"g<h>i|j", TOutputFormat::M4b, u"0012 a_b_c_d_e_f_g_h_i_j.m4b"},
      {2, 2, u"Line\none\ttwo", TOutputFormat::Opus, u"002 Line one two.opus"},
      {3, 9, u" .. ", TOutputFormat::Flac, u"003 Chapter.flac"},
      {4, 9, u"..hidden.", TOutputFormat::Wav, u"004 hidden.wav"},
      {5, 9, std::u16string(200, u'Ж'), TOutputFormat::Mp3, u"005 " + std::u16string(80, u'Ж') + u".mp3"},
      // A pair of surrogates is never cut in two.
      {6, 9, std::u16string(79, u'x') + u"😀", TOutputFormat::Mp3,
       u"006 " + std::u16string(79, u'x') + u".mp3"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ChapterFileName(row.number, row.count, row.title, row.format), row.name);
  }
}

// Every chapter gets a file of its own holding exactly its audio; the audio before the first
// chapter is one too, titled by the tags; an empty chapter gets none; the run's output is whole.
TEST(ChapterSplitSink, WritesAFilePerChapter) {
  ScopedTempDir dir;
  const std::vector<int16_t> pcm = testing::SpeechLike(24000, 2, 2.0);
  const TAudioFormat format{24000, 2, 16};
  for (TOutputFormat outputFormat : {TOutputFormat::Wav, TOutputFormat::Flac}) {
    SCOPED_TRACE(ToUtf8(FormatTitle(outputFormat)));
    const std::u16string folder = ToUtf16(dir.File("chapters" + ToUtf8(FormatExtension(outputFormat))));
    std::filesystem::create_directory(ToUtf8(folder));
    std::u16string error;
    auto output = TWavFileSink::Create(ToUtf16(dir.File("whole.wav")), format, kMaxPlainWavDataSize);
    ASSERT_TRUE(output);
    auto split = TChapterSplitSink::Create(std::move(output), ToUtf16(dir.File("copy.pcm")), error);
    ASSERT_TRUE(split) << ToUtf8(error);
    ASSERT_TRUE(split->Append(Bytes(pcm).substr(0, 40000)));
    ASSERT_TRUE(split->Append(Bytes(pcm).substr(40000)));
    split->AddChapter(u"One", 12000);
    split->AddChapter(u"Empty", 30000);
    split->AddChapter(u"Two: last", 30000);
    ASSERT_TRUE(split->Finish());
    TOutputChoice choice;
    choice.Format = outputFormat;
    TMediaTags tags;
    tags.Title = u"Opening";
    std::vector<std::u16string> failures;
    EXPECT_TRUE(split->WriteChapterFiles(folder, choice, tags, failures));
    EXPECT_TRUE(failures.empty());
    const std::string base = ToUtf8(folder) + "/";
    const std::string ext = ToUtf8(FormatExtension(outputFormat));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(base), std::filesystem::directory_iterator()),
              3);
    const struct {
      std::string name;
      size_t from, to;  // sample frames
    } files[] = {{"001 Opening", 0, 12000}, {"002 One", 12000, 30000}, {"004 Two_ last", 30000, 48000}};
    for (const auto& file : files) {
      SCOPED_TRACE(file.name);
      const std::vector<int16_t> expected(pcm.begin() + 2 * file.from, pcm.begin() + 2 * file.to);
      if (outputFormat == TOutputFormat::Wav) {
        const std::string bytes = testing::ReadFile(base + file.name + ext);
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_EQ(bytes.substr(44), Bytes(expected));
      } else {
        const testing::TReadBack back = testing::ReadBack(base + file.name + ext);
        EXPECT_EQ(back.Samples, testing::ToFloat(expected));
        EXPECT_EQ(back.Tags.at("title"), "Opening");
      }
    }
  }
}

}  // namespace
}  // namespace sonacli
