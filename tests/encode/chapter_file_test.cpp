#include "encode/chapter_file.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ScopedTempDir;

const TMediaTags kTags = {u"Война и мир", u"Лев \"Толстой\"", ""};

std::vector<TChapterSpan> ThreeChapters() {
  return ChapterSpans({{u"Вступление", 0}, {u"Empty", 24000}, {u"Line\nbreak = ; # \\", 24000}}, 73123, 100);
}

TEST(ChapterFile, KindFollowsTheExtension) {
  EXPECT_EQ(ChapterFileKindFromName(u"book.cue"), TChapterFileKind::Cue);
  EXPECT_EQ(ChapterFileKindFromName(u"book.CUE"), TChapterFileKind::Cue);
  EXPECT_EQ(ChapterFileKindFromName(u"book.txt"), TChapterFileKind::FfMetadata);
  EXPECT_EQ(ChapterFileKindFromName(u"book.ffmeta"), TChapterFileKind::FfMetadata);
  EXPECT_EQ(ChapterFileKindFromName(u"book.ffmetadata"), TChapterFileKind::FfMetadata);
  EXPECT_EQ(ChapterFileKindFromName(u"book.xml"), std::nullopt);
  EXPECT_EQ(ChapterFileKindFromName(u"book"), std::nullopt);
  EXPECT_EQ(ToUtf8(KnownChapterFileExtensions()), ".txt, .ffmeta, .ffmetadata, .cue");
}

TEST(ChapterFile, FfMetadataTimesChaptersInSamplesAndEscapesItsSpecialCharacters) {
  EXPECT_EQ(FfMetadataText(ThreeChapters(), 24000, kTags),
            ";FFMETADATA1\n"
            "title=Война и мир\nalbum=Война и мир\nartist=Лев \"Толстой\"\nalbum_artist=Лев \"Толстой\"\n"
            "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=0\nEND=24000\ntitle=Вступление\n"
            "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=24000\nEND=24000\ntitle=Empty\n"
            "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=24000\nEND=73123\ntitle=Line break \\= \\; \\# \\\\\n");
  EXPECT_EQ(FfMetadataText({}, 24000, {}), ";FFMETADATA1\n");
}

TEST(ChapterFile, FfmpegReadsTheMetadataFileBackExactly) {
  ScopedTempDir dir;
  std::vector<TChapterMark> marks;
  for (int i = 0; i < 10000; ++i) marks.push_back({u"Глава «" + ToUtf16(std::to_string(i)) + u"»", i * 441});
  const std::vector<TChapterSpan> chapters = ChapterSpans(marks, 441 * 10000 + 7, 100000);
  const std::string file = dir.File("book.txt");
  std::u16string error;
  ASSERT_TRUE(
      WriteChapterFile(ToUtf16(file), chapters, 44100, kTags, u"book.wav", TOutputFormat::Wav, error));

  AVFormatContext* context = nullptr;
  ASSERT_EQ(avformat_open_input(&context, file.c_str(), av_find_input_format("ffmetadata"), nullptr), 0);
  EXPECT_STREQ(av_dict_get(context->metadata, "artist", nullptr, 0)->value, "Лев \"Толстой\"");
  ASSERT_EQ(context->nb_chapters, 10000u);
  for (unsigned i = 0; i < context->nb_chapters; ++i) {
    const AVChapter& chapter = *context->chapters[i];
    ASSERT_EQ(chapter.time_base.den, 44100);
    EXPECT_EQ(chapter.start, int64_t{441} * i);
    EXPECT_EQ(chapter.end, i + 1 < 10000 ? int64_t{441} * (i + 1) : 441 * 10000 + 7);
    EXPECT_EQ(av_dict_get(chapter.metadata, "title", nullptr, 0)->value, ToUtf8(chapters[i].Title));
  }
  avformat_close_input(&context);
}

TEST(ChapterFile, CueSheetNamesTheAudioAndIndexesEachChapter) {
  std::string text;
  std::u16string error;
  // No byte order mark: a player would read it as part of the first command.
  ASSERT_TRUE(
      CueSheetText(ThreeChapters(), 24000, kTags, u" my 'book'.wav", TOutputFormat::Wav, text, error));
  EXPECT_EQ(text,
            "TITLE \"Война и мир\"\r\nPERFORMER \"Лев 'Толстой'\"\r\nFILE \" my 'book'.wav\" WAVE\r\n"
            "  TRACK 01 AUDIO\r\n    TITLE \"Вступление\"\r\n    PERFORMER \"Лев 'Толстой'\"\r\n"
            "    INDEX 01 00:00:00\r\n"
            "  TRACK 02 AUDIO\r\n    TITLE \"Empty\"\r\n    PERFORMER \"Лев 'Толстой'\"\r\n"
            "    INDEX 01 00:01:00\r\n"
            "  TRACK 03 AUDIO\r\n    TITLE \"Line break = ; # \\\"\r\n    PERFORMER \"Лев 'Толстой'\"\r\n"
            "    INDEX 01 00:01:00\r\n");
  // Raw PCM is a binary file; minutes go past 99; 1/75 s rounded to the nearest.
  ASSERT_TRUE(CueSheetText(ChapterSpans({{u"Late", 24000LL * 6001 + 159}}, 24000LL * 7000, 100), 24000, {},
                           u"book.raw", TOutputFormat::Raw, text, error));
  EXPECT_EQ(
      text,
      "FILE \"book.raw\" BINARY\r\n  TRACK 01 AUDIO\r\n    TITLE \"Late\"\r\n    INDEX 01 100:01:00\r\n");
}

// The type of the audio file is its format's, where the sheet has one; WAVE stands for any other
// audio a player decodes.
TEST(ChapterFile, CueSheetTypesTheAudioFileByItsFormat) {
  const std::pair<TOutputFormat, std::string> types[] = {
      {TOutputFormat::Wav, "WAVE"},  {TOutputFormat::Raw, "BINARY"}, {TOutputFormat::Mp3, "MP3"},
      {TOutputFormat::Opus, "WAVE"}, {TOutputFormat::M4b, "WAVE"},   {TOutputFormat::Flac, "WAVE"},
  };
  for (const auto& [format, type] : types) {
    SCOPED_TRACE(type);
    std::string text;
    std::u16string error;
    ASSERT_TRUE(CueSheetText(ThreeChapters(), 24000, {}, u"book", format, text, error));
    EXPECT_EQ(text.substr(0, text.find('\r')), "FILE \"book\" " + type);
  }
}

// A name the sheet cannot quote would name a file that does not exist: it is refused.
TEST(ChapterFile, CueSheetRefusesANameItCannotQuote) {
  for (const char16_t* name : {u"my \"book\".wav", u"two\nlines.wav", u"carriage\rreturn.wav"}) {
    SCOPED_TRACE(ToUtf8(name));
    std::string text;
    std::u16string error;
    EXPECT_FALSE(CueSheetText(ThreeChapters(), 24000, kTags, name, TOutputFormat::Wav, text, error));
    EXPECT_EQ(error, u"A CUE sheet cannot name a file whose name holds a double quote or a line break: " +
                         std::u16string(name));
    error.clear();
    EXPECT_FALSE(CheckCueSheetCanName(name, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ChapterFile, CueSheetRefusesMoreThanNinetyNineChapters) {
  std::vector<TChapterMark> marks(100, {u"Chapter", 0});
  std::string text;
  std::u16string error;
  EXPECT_TRUE(
      CueSheetText(ChapterSpans(marks, 1000, 99), 24000, {}, u"book.wav", TOutputFormat::Wav, text, error));
  EXPECT_FALSE(
      CueSheetText(ChapterSpans(marks, 1000, 100), 24000, {}, u"book.wav", TOutputFormat::Wav, text, error));
  EXPECT_EQ(
      ToUtf8(error),
      "A CUE sheet holds at most 99 chapters, not 100; an FFmpeg metadata file (.txt) holds any number");
}

TEST(ChapterFile, WritingSaysWhatWentWrong) {
  ScopedTempDir dir;
  std::u16string error;
  EXPECT_TRUE(WriteChapterFile(ToUtf16(dir.File("book.cue")), ThreeChapters(), 24000, kTags, u"book.wav",
                               TOutputFormat::Wav, error));
  EXPECT_EQ(testing::ReadFile(dir.File("book.cue")).substr(0, 5), "TITLE");
  EXPECT_FALSE(WriteChapterFile(ToUtf16(dir.File("book.json")), ThreeChapters(), 24000, kTags, u"book.wav",
                                TOutputFormat::Wav, error));
  EXPECT_EQ(ToUtf8(error),
            "Unknown chapter file extension (known: .txt, .ffmeta, .ffmetadata, .cue): book.json");
  EXPECT_FALSE(WriteChapterFile(ToUtf16(dir.File("missing/book.txt")), ThreeChapters(), 24000, kTags,
                                u"book.wav", TOutputFormat::Wav, error));
  EXPECT_EQ(ToUtf8(error), "Failed to save chapter file: book.txt");
}

}  // namespace
}  // namespace sonacli
