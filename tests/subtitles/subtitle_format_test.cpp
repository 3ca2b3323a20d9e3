#include "subtitles/subtitle_format.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(SubtitleFormat, RecognisesExtensionsInAnyCase) {
  struct Case {
    std::u16string_view name;
    TSubtitleFormat format;
  };
  const Case cases[] = {
      {u"movie.srt", TSubtitleFormat::Srt},
      {u"MOVIE.SRT", TSubtitleFormat::Srt},
      {u"a.b.Ssa", TSubtitleFormat::Ssa},
      {u"x.ass", TSubtitleFormat::Ass},
      {u"x.smi", TSubtitleFormat::Smi},
      {u"/tmp/x.vtt", TSubtitleFormat::Vtt},
      {u"song.lrc", TSubtitleFormat::Lrc},
      {u"text.txt", TSubtitleFormat::Unknown},
      {u"srt", TSubtitleFormat::Unknown},
      {u"movie.srt.txt", TSubtitleFormat::Unknown},
      {u"/x.srt/notes", TSubtitleFormat::Unknown},
      {u"movie.srtx", TSubtitleFormat::Unknown},
      {u"", TSubtitleFormat::Unknown},
      {u".srt", TSubtitleFormat::Srt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubtitleFormatFromFileName(c.name), c.format) << ToUtf8(c.name);
    EXPECT_EQ(IsSubtitleFileName(c.name), c.format != TSubtitleFormat::Unknown) << ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace sonacli
