#include "text/piece.h"

#include <gtest/gtest.h>

#include "text/text_part.h"
#include "text/text_parts.h"

namespace sonacli {
namespace {

TEST(Piece, TakesKindVoiceAndNumbersFromItsPart) {
  TPartSettings settings{u"en-US", u"john", u"1.5", u"good", std::u16string(kChannelRight), -20};
  const TPiece speech = TPiece::Of(TTextPart(u"Hi", settings));
  EXPECT_EQ(speech.Kind, TPieceKind::Speech);
  EXPECT_EQ(speech.Language, u"en-US");
  EXPECT_EQ(speech.Voice, u"john");
  EXPECT_EQ(speech.Rate, u"1.5");
  EXPECT_EQ(speech.Emotion, u"good");
  EXPECT_EQ(speech.ChannelMode, TChannelMode::MonoToRight);
  EXPECT_EQ(speech.Volume, -20);
  EXPECT_TRUE(speech.Text.empty());
  const TTextPart source(u"Hi", settings);
  const TPiece pause = TPiece::Of(TTextPart(kPauseParaPart, u"500", source));
  EXPECT_EQ(pause.Kind, TPieceKind::PausePara);
  EXPECT_TRUE(pause.Language.empty());  // the kind no longer travels as a language
  EXPECT_EQ(TPiece::Of(TTextPart(kAudioPart, u"a.wav", source)).Kind, TPieceKind::Audio);
  EXPECT_EQ(TPiece::Of(TTextPart(kPausePart, u"5", source)).Kind, TPieceKind::Pause);
}

TEST(Piece, ChannelModesByTheirNames) {
  EXPECT_EQ(ChannelModeOf(u"MonoToBoth"), TChannelMode::MonoToBoth);
  EXPECT_EQ(ChannelModeOf(u"MonoToLeft"), TChannelMode::MonoToLeft);
  EXPECT_EQ(ChannelModeOf(u"MonoToRight"), TChannelMode::MonoToRight);
  // The names are case-sensitive; anything else sends mono to both sides.
  EXPECT_EQ(ChannelModeOf(u"monotoleft"), TChannelMode::MonoToBoth);
  EXPECT_EQ(ChannelModeOf(u"Sideways"), TChannelMode::MonoToBoth);
}

TEST(Piece, BlankAfterMarker) {
  struct Case {
    TPieceMarker marker;
    TLrcBlankLines blankLines;
    bool current;
    bool result;
  };
  using M = TPieceMarker;
  using B = TLrcBlankLines;
  const Case cases[] = {
      {M::Cut, B::AfterSentences, true, false},
      {M::LineEnd, B::AfterSentences, false, true},
      {M::SentenceEnd, B::AfterSentences, false, true},
      {M::Cut, B::AfterParagraphs, true, false},
      {M::LineEnd, B::AfterParagraphs, false, true},
      {M::SentenceEnd, B::AfterParagraphs, true, false},
      {M::LineEnd, B::None, false, false},
      {M::Cut, B::None, true, true},  // unchanged
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BlankAfterMarker(c.marker, c.blankLines, c.current), c.result)
        << int(c.blankLines) << " " << int(c.marker) << " " << c.current;
  }
}

}  // namespace
}  // namespace sonacli
