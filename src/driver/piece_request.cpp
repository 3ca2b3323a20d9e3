#include "driver/piece_request.h"

namespace sonacli {

TSynthesisRequest PieceRequest(const TPiece& piece, std::u16string spoken, std::u16string_view apiKey) {
  TSynthesisRequest request;
  request.Text = std::move(spoken);
  request.Language = piece.Language;
  request.Voice = piece.Voice;
  request.Rate = piece.Rate;
  request.Emotion = piece.Emotion;
  request.ChannelMode = ChannelModeName(piece.ChannelMode);
  request.VolumeDelta = piece.Volume;
  request.ApiKey = apiKey;
  request.PlainText = piece.PlainText;
  return request;
}

}  // namespace sonacli
