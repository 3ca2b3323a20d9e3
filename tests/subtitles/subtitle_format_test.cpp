#include "subtitles/subtitle_format.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(SubtitleFormat, RecognisesExtensionsInAnyCase) {
  struct Case {
    std::u16string_view name;
    uint8_t format;
  };
  const Case cases[] = {
      {u"movie.srt", kSubtitleSrt},
      {u"MOVIE.SRT", kSubtitleSrt},
      {u"a.b.Ssa", kSubtitleSsa},
      {u"x.ass", kSubtitleAss},
      {u"x.smi", kSubtitleSmi},
      {u"/tmp/x.vtt", kSubtitleVtt},
      {u"song.lrc", kSubtitleLrc},
      {u"text.txt", kSubtitleNone},
      {u"srt", kSubtitleNone},
      {u"movie.srt.txt", kSubtitleNone},
      {u"/x.srt/notes", kSubtitleNone},
      {u"movie.srtx", kSubtitleNone},
      {u"", kSubtitleNone},
      {u".srt", kSubtitleSrt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubtitleFormatFromFileName(c.name), c.format) << ToUtf8(c.name);
    EXPECT_EQ(IsSubtitleFileName(c.name), c.format != kSubtitleNone) << ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace sonacli
