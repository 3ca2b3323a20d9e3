#include "service/sent_tone.h"

#include "catalogue/voice_catalogue.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kNeutral = u"neutral";

}  // namespace

std::u16string SentTone(TServiceInterface route, std::u16string_view voice, std::u16string_view tone) {
  switch (route) {
    case TServiceInterface::Legacy:
      if (tone == u"good" || tone == u"evil") return std::u16string(tone);
      return {};
    case TServiceInterface::CloudV1: {
      std::u16string effective = EffectiveEmotion(voice, tone);
      return effective == kNeutral ? std::u16string() : effective;
    }
    case TServiceInterface::CloudV3:
      return tone == kNeutral ? std::u16string() : std::u16string(tone);
    case TServiceInterface::None:
      break;
  }
  return {};
}

bool ToneDropped(TServiceInterface route, std::u16string_view voice, std::u16string_view tone) {
  if (route == TServiceInterface::None || tone.empty() || tone == kNeutral) return false;
  return SentTone(route, voice, tone).empty();
}

}  // namespace sonacli
