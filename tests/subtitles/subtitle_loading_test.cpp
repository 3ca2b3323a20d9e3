#include "subtitles/subtitle_loading.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "subtitle_test_support.h"
#include "subtitles/subtitle_format.h"

namespace sonacli {
namespace {

using testing::Lines;

TEST(SubtitleLoading, ReadsJoinsAndWidens) {
  const TSubtitleLoading loading = LoadSubtitles(
      Lines(u"1\n00:00:05,000 --> 00:00:06,000\nI wanted to\n\n2\n00:00:06,500 --> 00:00:08,000\ngo home.\n\n"
            u"3\n00:00:10,000 --> 00:00:11,000\nBye."),
      TSubtitleFormat::Srt);
  EXPECT_TRUE(loading.Error.empty());
  EXPECT_EQ(loading.Subtitles, (SubtitleList{{4950, 8050, u"I wanted to go home."}, {9950, 11050, u"Bye."}}));
}

// Files group their lines (signs and songs after the dialogue): the speech must come in time order,
// and sentences are joined in that order.
TEST(SubtitleLoading, EntriesAreVoicedInTimeOrder) {
  const std::u16string_view ass =
      u"[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
      u"Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,I wanted to\n"
      u"Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,Bye.\n"
      u"Dialogue: 0,0:00:02.50,0:00:04.00,Default,,0,0,0,,go home.\n"
      u"Dialogue: 0,0:00:00.00,0:00:00.80,Sign,,0,0,0,,EPISODE ONE\n"
      u"Dialogue: 0,0:00:05.00,0:00:06.00,Sign,,0,0,0,,EXIT\n";
  const struct {
    const char* what;
    std::u16string_view file;
    TSubtitleFormat format;
    SubtitleList expected;
  } cases[] = {
      {"signs grouped after the dialogue; equal starts keep the file's order",
       ass,
       TSubtitleFormat::Ass,
       {{0, 850, u"EPISODE ONE"},
        {950, 4050, u"I wanted to go home."},
        {4950, 6050, u"Bye."},
        {4950, 6050, u"EXIT"}}},
      {"SRT entries out of order",
       u"1\n00:00:05,000 --> 00:00:06,000\nSecond.\n\n2\n00:00:01,000 --> 00:00:02,000\nFirst.",
       TSubtitleFormat::Srt,
       {{950, 2050, u"First."}, {4950, 6050, u"Second."}}},
      {"SAMI syncs out of order",
       u"<SYNC Start=3000>Later.<SYNC Start=1000>Sooner.<SYNC Start=2000>&nbsp;",
       TSubtitleFormat::Smi,
       {{950, 2050, u"Sooner."}, {2950, 50, u"Later."}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LoadSubtitles(Lines(c.file), c.format).Subtitles, c.expected) << c.what;
}

TEST(SubtitleLoading, ReadsTheSamiClassAskedFor) {
  const auto lines =
      Lines(u"<SYNC Start=1000><P Class=ENCC>Hello.<P Class=FRCC>Bonjour.<SYNC Start=2000><P>&nbsp;");
  EXPECT_EQ(LoadSubtitles(lines, TSubtitleFormat::Smi).Subtitles, (SubtitleList{{950, 2050, u"Hello."}}));
  EXPECT_EQ(LoadSubtitles(lines, TSubtitleFormat::Smi, u"frcc").Subtitles,
            (SubtitleList{{950, 2050, u"Bonjour."}}));
}

TEST(SubtitleLoading, EveryFormatHasItsReader) {
  struct Case {
    TSubtitleFormat format;
    std::u16string_view file;
  };
  const Case cases[] = {
      {TSubtitleFormat::Srt, u"1\n00:00:01,000 --> 00:00:02,000\nA"},
      {TSubtitleFormat::Ssa, u"[Events]\nFormat: Start, End, Text\nDialogue: 0:00:01.00,0:00:02.00,A"},
      {TSubtitleFormat::Ass, u"[Events]\nFormat: Start, End, Text\nDialogue: 0:00:01.00,0:00:02.00,A"},
      {TSubtitleFormat::Smi, u"<SYNC Start=1000>A<SYNC Start=2000>&nbsp;"},
      {TSubtitleFormat::Vtt, u"WEBVTT\n\n00:01.000 --> 00:02.000\nA"},
      {TSubtitleFormat::Lrc, u"[00:01.00]A\n[00:02.00]"},
  };
  for (const Case& c : cases) {
    const TSubtitleLoading loading = LoadSubtitles(Lines(c.file), c.format);
    EXPECT_EQ(loading.Subtitles, (SubtitleList{{950, 2050, u"A"}})) << int(c.format);
    EXPECT_TRUE(loading.Error.empty());
  }
}

TEST(SubtitleLoading, TheTwoMessages) {
  const auto lines = Lines(u"1\n00:00:01,000 --> 00:00:02,000\nA");
  const TSubtitleLoading unknown = LoadSubtitles(lines, TSubtitleFormat::Unknown);
  EXPECT_EQ(unknown.Error, u"Unknown format of subtitles");
  EXPECT_TRUE(unknown.Subtitles.empty());
  for (TSubtitleFormat format :
       {TSubtitleFormat::Vtt, TSubtitleFormat::Smi, TSubtitleFormat::Lrc, TSubtitleFormat::Ssa}) {
    const TSubtitleLoading loading = LoadSubtitles(lines, format);
    EXPECT_EQ(loading.Error, u"No text in subtitles") << int(format);
    EXPECT_TRUE(loading.Subtitles.empty());
  }
  EXPECT_EQ(LoadSubtitles({}, TSubtitleFormat::Srt).Error, u"No text in subtitles");
}

// Random files built from the pieces that steer the readers: whatever comes out is a list of
// trimmed, non-empty texts at times that are not negative.
TEST(SubtitleLoading, AnyBytesGiveWellFormedEntries) {
  const std::array<std::string_view, 30> pieces = {"\n",
                                                   "\r\n",
                                                   "\r",
                                                   " ",
                                                   "1",
                                                   "23",
                                                   "00:00:01,500",
                                                   "0:01.5",
                                                   "-->",
                                                   "WEBVTT",
                                                   "NOTE",
                                                   "[Events]",
                                                   "Format: Start, End, Text",
                                                   "Dialogue: ",
                                                   ",",
                                                   ":",
                                                   ".",
                                                   "<sync start=",
                                                   "<SYNC Start=",
                                                   ">",
                                                   "<",
                                                   "<br>",
                                                   "{",
                                                   "}",
                                                   "{{lang=en}}",
                                                   "[00:01.00]",
                                                   "[",
                                                   "]",
                                                   "word",
                                                   "\xC3\x28\xFF..."};
  std::mt19937 random(11);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) bytes += pieces[random() % pieces.size()];
    for (int format = int(TSubtitleFormat::Srt); format <= int(TSubtitleFormat::Lrc); ++format) {
      const TSubtitleLoading loading = LoadSubtitlesFromBytes(bytes, static_cast<TSubtitleFormat>(format));
      EXPECT_EQ(loading.Subtitles.empty(), !loading.Error.empty());
      for (const TSubtitle& subtitle : loading.Subtitles) {
        ASSERT_FALSE(subtitle.Text.empty()) << bytes;
        ASSERT_GT(subtitle.Text.front(), u' ') << bytes;
        ASSERT_GT(subtitle.Text.back(), u' ') << bytes;
        ASSERT_GE(subtitle.StartMs, 0) << bytes;
        ASSERT_GE(subtitle.EndMs, 50) << bytes;
      }
    }
  }
}

}  // namespace
}  // namespace sonacli
