#include "text/piece.h"

#include "text/text_part.h"
#include "text/text_parts.h"

namespace sonacli {

TPiece TPiece::Of(const TTextPart& part) {
  TPiece piece;
  piece.Kind = PieceKindOf(part.Language);
  if (piece.Kind == TPieceKind::Speech) piece.Language = part.Language;
  piece.Voice = part.Voice;
  piece.Rate = part.Rate;
  piece.Emotion = part.Emotion;
  piece.ChannelMode = ChannelModeOf(part.ChannelMode);
  piece.Volume = part.Volume;
  return piece;
}

TPiece TPiece::Of(const TPartSettings& settings) {
  TPiece piece;
  piece.Language = settings.Language;
  piece.Voice = settings.Voice;
  piece.Rate = settings.Rate;
  piece.Emotion = settings.Emotion;
  piece.ChannelMode = ChannelModeOf(settings.ChannelMode);
  piece.Volume = settings.Volume;
  return piece;
}

TPieceKind PieceKindOf(std::u16string_view partKind) {
  if (partKind == kAudioPart) return TPieceKind::Audio;
  if (partKind == kPausePart) return TPieceKind::Pause;
  if (partKind == kPauseParaPart) return TPieceKind::PausePara;
  if (partKind == kChapterPart) return TPieceKind::Chapter;
  return TPieceKind::Speech;
}

TChannelMode ChannelModeOf(std::u16string_view name) {
  if (name == kChannelLeft) return TChannelMode::MonoToLeft;
  if (name == kChannelRight) return TChannelMode::MonoToRight;
  return TChannelMode::MonoToBoth;
}

bool BlankAfterMarker(TPieceMarker marker, TLrcBlankLines lrcBlankLines, bool current) {
  switch (lrcBlankLines) {
    case TLrcBlankLines::AfterSentences:
      return marker != TPieceMarker::Cut;
    case TLrcBlankLines::AfterParagraphs:
      return marker == TPieceMarker::LineEnd;
    case TLrcBlankLines::None:
      break;
  }
  return current;
}

}  // namespace sonacli
