#include "text/piece_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

using Pieces = std::vector<std::pair<std::string, std::string>>;  // text, marker ("" without)

TPiece Attributes(TPieceKind kind = TPieceKind::Speech) {
  TPiece piece;
  piece.Kind = kind;
  if (kind == TPieceKind::Speech) piece.Language = u"ru-RU";
  piece.Voice = u"alena";
  piece.Rate = u"1.5";
  piece.Emotion = u"good";
  piece.ChannelMode = TChannelMode::MonoToLeft;
  piece.Volume = -20;
  return piece;
}

// The marker as the LRC writer's digits: "0" cut, "1" line end, "2" sentence end; "" none.
std::string MarkerText(TPieceMarker marker) {
  switch (marker) {
    case TPieceMarker::Cut:
      return "0";
    case TPieceMarker::LineEnd:
      return "1";
    case TPieceMarker::SentenceEnd:
      return "2";
    case TPieceMarker::None:
      break;
  }
  return "";
}

Pieces Read(const TPieceList& list) {
  Pieces out;
  for (const TPiece& piece : list) out.emplace_back(ToUtf8(piece.Text), MarkerText(piece.Marker));
  return out;
}

Pieces Split(const std::string& text, int maxLength, bool sync) {
  TPieceList list;
  SplitIntoPieces(ToUtf16(text), Attributes(), maxLength, sync, list);
  return Read(list);
}

struct PieceCase {
  const char* Name;
  std::string Text;
  int MaxLength;
  bool Sync;
  Pieces Expected;
};

const std::vector<PieceCase>& PieceCases() {
  static const std::vector<PieceCase> cases = {
      {"empty text", "", 100, true, {}},
      {"spaces only", "   \t ", 100, true, {}},
      {"spaces only, no sync", "   ", 100, false, {}},
      {"three lines", "One.\r\nTwo.\nThree.", 100, false, {{"One.", ""}, {"Two.", ""}, {"Three.", ""}}},
      {"abbreviation",
       "Dr. Smith arrived. He sat.",
       100,
       true,
       {{"Dr. Smith arrived.", "2"}, {"He sat.", "1"}}},
      {"lines and sentences",
       "A first line. With two.\r\n\r\n  Second line.\r\n",
       100,
       true,
       {{"A first line.", "2"}, {"With two.", "1"}, {"Second line.", "1"}}},
      {"spaces collapse", "  a   b    c  ", 100, false, {{"a b c", ""}}},
      {"sentence end in the window",
       "Alpha beta gamma. Delta epsilon zeta eta theta",
       30,
       false,
       {{"Alpha beta gamma.", ""}, {"Delta epsilon zeta eta theta", ""}}},
      {"sentence end beats a comma to its right, then the comma",
       "Alpha beta. Gamma delta, epsilon zeta eta theta iota",
       30,
       false,
       {{"Alpha beta.", ""}, {"Gamma delta,", ""}, {"epsilon zeta eta theta iota", ""}}},
      {"full stop in the first third is no cut",
       "Ab. cd efgh ijkl mnop qrst uvwx yz",
       30,
       false,
       {{"Ab. cd efgh ijkl mnop qrst", ""}, {"uvwx yz", ""}}},
      {"abbreviation is no cut",
       "Sie und Dr. Watson, gehen heim",
       24,
       false,
       {{"Sie und Dr. Watson,", ""}, {"gehen heim", ""}}},
      {"question mark keeps its closing quote",
       "Was \"Ja?\" fragt er nach dem Weg",
       24,
       false,
       {{"Was \"Ja?\"", ""}, {"fragt er nach dem Weg", ""}}},
      {"hard cut without spaces",
       std::string(70, 'x'),
       30,
       false,
       {{std::string(30, 'x'), ""}, {std::string(30, 'x'), ""}, {std::string(10, 'x'), ""}}},
      {"short window cuts hard", "aaaa bbbb cccc dddd", 15, false, {{"aaaa bbbb cccc", ""}, {"dddd", ""}}},
      {"no cut inside a surrogate pair",
       std::string(29, 'x') + "😀yy",
       30,
       false,
       {{std::string(29, 'x'), ""}, {"😀yy", ""}}},
      {"CJK full stop",
       "我们走吧我们走吧我们。他说好了我们现在就走吧大家",
       20,
       false,
       {{"我们走吧我们走吧我们。", ""}, {"他说好了我们现在就走吧大家", ""}}},
      {"CJK comma",
       "我们走吧我们走吧我们、他说好了我们现在就走吧大家",
       20,
       false,
       {{"我们走吧我们走吧我们、", ""}, {"他说好了我们现在就走吧大家", ""}}},
      {"Arabic question mark",
       "هل أنت بخير؟ نعم أنا بخير شكرا لك",
       20,
       false,
       {{"هل أنت بخير؟", ""}, {"نعم أنا بخير شكرا لك", ""}}},
      {"long sentence with sync",
       "Alpha beta gamma delta epsilon zeta eta theta.",
       30,
       true,
       {{"Alpha beta gamma delta", "0"}, {"epsilon zeta eta theta.", "1"}}},
  };
  return cases;
}

TEST(PieceLists, SplitIntoPiecesCases) {
  for (const PieceCase& c : PieceCases()) {
    EXPECT_EQ(Split(c.Text, c.MaxLength, c.Sync), c.Expected) << c.Name;
  }
}

TEST(PieceLists, InsertPartsAreOnePieceWithTheirMarker) {
  TPieceList list;
  SplitIntoPieces(u"bell.wav", Attributes(TPieceKind::Audio), 10, true, list);
  SplitIntoPieces(u"500", Attributes(TPieceKind::Pause), 10, true, list);
  SplitIntoPieces(u"700", Attributes(TPieceKind::PausePara), 10, true, list);
  EXPECT_EQ(Read(list), (Pieces{{"bell.wav", "0"}, {"500", "0"}, {"700", "1"}}));
  EXPECT_EQ(list[0].PauseMs, 0);
  EXPECT_EQ(list[1].PauseMs, 500);
  EXPECT_EQ(list[2].PauseMs, 700);
  EXPECT_EQ(list[2].Kind, TPieceKind::PausePara);

  TPieceList noSync;
  SplitIntoPieces(u"a long file name.wav", Attributes(TPieceKind::Audio), 5, false, noSync);
  EXPECT_EQ(Read(noSync), (Pieces{{"a long file name.wav", ""}}));

  TPieceList subtitle;
  for (TPieceKind kind : {TPieceKind::Audio, TPieceKind::Pause, TPieceKind::PausePara})
    SplitSubtitleText(u"500", Attributes(kind), 10, subtitle);
  EXPECT_TRUE(subtitle.empty());
}

// A chapter is one piece, in text and in subtitles, even without a title; it is never cut.
TEST(PieceLists, ChapterPartsAreOnePieceWithTheirTitle) {
  const std::u16string longTitle(1000, u'x');
  TPieceList list;
  SplitIntoPieces(longTitle, Attributes(TPieceKind::Chapter), 10, true, list);
  SplitIntoPieces(u"", Attributes(TPieceKind::Chapter), 10, false, list);
  SplitSubtitleText(u"Title", Attributes(TPieceKind::Chapter), 10, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Text, longTitle);
  EXPECT_EQ(list[1].Text, u"");
  EXPECT_EQ(list[2].Text, u"Title");
  for (const TPiece& piece : list) {
    EXPECT_EQ(piece.Kind, TPieceKind::Chapter);
    EXPECT_EQ(piece.Marker, TPieceMarker::None);
    EXPECT_EQ(piece.PauseMs, 0);
  }
}

TEST(PieceLists, EveryPieceGetsTheAttributesOfItsPart) {
  TPieceList list;
  SplitSubtitleText(u"One. Two.\nThree four five six seven", Attributes(), 20, list);
  ASSERT_EQ(list.size(), 3u);
  const TPiece& last = list[2];
  EXPECT_EQ(ToUtf8(last.Text), "seven");
  EXPECT_EQ(last.Marker, TPieceMarker::None);
  EXPECT_EQ(last.Kind, TPieceKind::Speech);
  EXPECT_EQ(last.Language, u"ru-RU");
  EXPECT_EQ(last.Voice, u"alena");
  EXPECT_EQ(last.Rate, u"1.5");
  EXPECT_EQ(last.Emotion, u"good");
  EXPECT_EQ(last.ChannelMode, TChannelMode::MonoToLeft);
  EXPECT_EQ(last.Volume, -20);
}

TEST(PieceLists, CutsBeforeTheRightmostSpaceInTheLastTwoThirds) {
  // 600 characters of words of varied length, no punctuation, cut at 246.
  std::u16string line;
  for (int k = 0; line.size() < 600; ++k)
    line += std::u16string(static_cast<size_t>(1 + (k * 7) % 13), u'a') + u" ";
  line.resize(600, u'a');
  TPieceList list;
  SplitIntoPieces(line, Attributes(), 246, false, list);
  size_t offset = 0;
  for (size_t k = 0; k + 1 < list.size(); ++k) {
    const std::u16string& piece = list[k].Text;
    ASSERT_EQ(line.compare(offset, piece.size(), piece), 0);
    const std::u16string window = line.substr(offset, 246);
    const size_t space = window.rfind(u' ');
    ASSERT_GE(space + 1, 82u);
    EXPECT_EQ(piece.size(), space) << k;
    offset += piece.size() + 1;
  }
  EXPECT_EQ(list.back().Text, line.substr(offset));
}

}  // namespace
}  // namespace sonacli
