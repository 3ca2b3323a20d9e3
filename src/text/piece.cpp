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

TPieceKind PieceKindOf(std::u16string_view partKind) {
  if (partKind == kAudioPart) return TPieceKind::Audio;
  if (partKind == kPausePart) return TPieceKind::Pause;
  if (partKind == kPauseParaPart) return TPieceKind::PausePara;
  return TPieceKind::Speech;
}

TChannelMode ChannelModeOf(std::u16string_view name) {
  if (name == kChannelLeft) return TChannelMode::MonoToLeft;
  if (name == kChannelRight) return TChannelMode::MonoToRight;
  return TChannelMode::MonoToBoth;
}

std::u16string_view ChannelModeName(TChannelMode mode) {
  switch (mode) {
    case TChannelMode::MonoToLeft:
      return kChannelLeft;
    case TChannelMode::MonoToRight:
      return kChannelRight;
    case TChannelMode::MonoToBoth:
      break;
  }
  return kChannelBoth;
}

std::optional<int64_t> ParseDecimal(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t{INT64_MAX} + 1 : uint64_t{INT64_MAX};
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    const uint64_t digit = c - u'0';
    if (value > (limit - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

bool BlankAfterMarker(TPieceMarker marker, uint8_t lrcBlankLines, bool current) {
  switch (lrcBlankLines) {
    case 1:
      return marker != TPieceMarker::Cut;
    case 2:
      return marker == TPieceMarker::LineEnd;
    default:
      return current;
  }
}

}  // namespace sonacli
