#include "driver/piece_request.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(PieceRequest, CarriesEveryAttributeOfThePiece) {
  TPiece piece;
  piece.Text = u"Dr. Cat";
  piece.Language = u"en-US";
  piece.Voice = u"john";
  piece.Rate = u"1.5";
  piece.Emotion = u"good";
  piece.ChannelMode = TChannelMode::MonoToLeft;
  piece.Volume = -30;
  piece.Marker = TPieceMarker::SentenceEnd;
  const TSynthesisRequest request = PieceRequest(piece, u"Doctor Dog", u"key");
  EXPECT_EQ(request.Text, u"Doctor Dog");  // what the dictionaries made of it, not as written
  EXPECT_EQ(request.Language, u"en-US");
  EXPECT_EQ(request.Voice, u"john");
  EXPECT_EQ(request.Rate, u"1.5");
  EXPECT_EQ(request.Emotion, u"good");
  EXPECT_EQ(request.ChannelMode, u"MonoToLeft");
  EXPECT_EQ(request.VolumeDelta, -30);
  EXPECT_EQ(request.ApiKey, u"key");
}

}  // namespace
}  // namespace sonacli
