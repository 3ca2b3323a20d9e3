#include "service/synthesis_request.h"

#include <array>

#include "catalogue/voice_catalogue.h"

namespace sonacli {
namespace {

bool AnyVoice(std::u16string_view) {
  return true;
}

struct TRoute {
  bool LegacyKey;
  bool (*VoiceMatches)(std::u16string_view);
  TServiceInterface Interface;
};

// The first matching row applies.
constexpr std::array<TRoute, 4> kRoutes = {{
    {true, IsPremiumVoice, TServiceInterface::None},
    {true, AnyVoice, TServiceInterface::Legacy},
    {false, IsV3OnlyVoice, TServiceInterface::CloudV3},
    {false, AnyVoice, TServiceInterface::CloudV1},
}};

}  // namespace

bool IsLegacyKey(std::u16string_view key) {
  if (key.size() <= 25) return false;
  for (size_t position : {9, 14, 19, 24}) {
    if (key[position - 1] != u'-') return false;
  }
  return true;
}

TServiceInterface RouteRequest(std::u16string_view apiKey, std::u16string_view voice) {
  const bool legacyKey = IsLegacyKey(apiKey);
  for (const TRoute& route : kRoutes) {
    if (route.LegacyKey == legacyKey && route.VoiceMatches(voice)) return route.Interface;
  }
  return TServiceInterface::None;
}

}  // namespace sonacli
