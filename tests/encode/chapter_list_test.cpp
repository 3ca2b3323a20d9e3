#include "encode/chapter_list.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

std::string Describe(const std::vector<TChapterSpan>& spans) {
  std::string text;
  for (const TChapterSpan& span : spans) {
    text += ToUtf8(span.Title) + "[" + std::to_string(span.StartFrame) + "," + std::to_string(span.EndFrame) +
            ")";
  }
  return text;
}

TEST(ChapterList, SpansFollowTheStartsAndEndAtTheNextOrTheEnd) {
  const struct {
    std::vector<TChapterMark> Marks;
    int64_t Total;
    size_t Limit;
    const char* Spans;
  } cases[] = {
      {{}, 100, 10, ""},
      {{{u"A", 0}}, 100, 10, "A[0,100)"},
      {{{u"A", 0}, {u"B", 40}}, 100, 10, "A[0,40)B[40,100)"},
      // Marks that came out of order; marks at one sample keep their order, the first empty.
      {{{u"B", 40}, {u"A", 0}, {u"C", 40}}, 100, 10, "A[0,40)B[40,40)C[40,100)"},
      // A chapter of audio never made (an interrupted run), and one starting exactly at the end.
      {{{u"A", 0}, {u"B", 100}, {u"C", 150}}, 100, 10, "A[0,100)"},
      {{{u"A", 10}}, 100, 10, "A[10,100)"},
      {{{u"A", -5}, {u"B", 50}}, 100, 10, "A[0,50)B[50,100)"},
      // Beyond the limit: the last kept chapter runs to the end.
      {{{u"A", 0}, {u"B", 30}, {u"C", 60}}, 100, 2, "A[0,30)B[30,100)"},
      {{{u"A", 0}}, 0, 10, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(ChapterSpans(c.Marks, c.Total, c.Limit)), c.Spans);
}

TEST(ChapterList, TitlesBecomeOneLineAndKeepEverythingElse) {
  EXPECT_EQ(OneLineTitle(u"One\r\ntwo\nthree\rfour\tfive"), u"One  two three four five");
  EXPECT_EQ(OneLineTitle(u"a\u2028b\u2029c\u0085d\u0007e"), u"a b c d e");
  const std::u16string kept = u"«Война» \"и\" 'мир' 📖 عربي = ; # \\";
  EXPECT_EQ(OneLineTitle(kept), kept);
  const std::vector<TChapterSpan> spans = ChapterSpans({{u"Line\none", 0}}, 10, 10);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].Title, u"Line one");
}

TEST(ChapterList, FormatsHoldTheirChapterCounts) {
  EXPECT_EQ(MaxChapters(TOutputFormat::Opus), 1000u);
  EXPECT_EQ(MaxChapters(TOutputFormat::Flac), 1000u);
  EXPECT_EQ(MaxChapters(TOutputFormat::Mp3), 255u);
  EXPECT_GE(MaxChapters(TOutputFormat::M4b), 10000u);
}

}  // namespace
}  // namespace sonacli
