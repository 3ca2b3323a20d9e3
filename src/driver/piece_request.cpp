#include "driver/piece_request.h"

namespace sonacli {

TSynthesisRequest PieceRequest(const TPiece& piece, std::u16string spoken, std::u16string_view apiKey) {
  TSynthesisRequest request;
  request.Text = std::move(spoken);
  request.Language = piece.Language;
  request.Voice = piece.Voice;
  request.Rate = piece.Rate;
  request.Emotion = piece.Emotion;
  request.ApiKey = apiKey;
  request.PlainText = piece.PlainText;
  return request;
}

TVolumeAndChannel VolumeAndChannelOf(const TPiece& piece) {
  TVolumeAndChannel sound;
  sound.VolumeDelta = piece.Volume;
  switch (piece.ChannelMode) {
    case TChannelMode::MonoToBoth:
      sound.ChannelMode = TMSConverterMode::msmMonoToBoth;
      break;
    case TChannelMode::MonoToLeft:
      sound.ChannelMode = TMSConverterMode::msmMonoToLeft;
      break;
    case TChannelMode::MonoToRight:
      sound.ChannelMode = TMSConverterMode::msmMonoToRight;
      break;
  }
  return sound;
}

TSpeechTarget SpeechTargetOf(const TSettings& settings) {
  return {settings.SampleRate, settings.Stereo};
}

}  // namespace sonacli
