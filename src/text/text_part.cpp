#include "text/text_part.h"

#include <array>

#include "catalogue/speech_rate.h"
#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "settings/settings.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kLangTag = u"{{lang=";
constexpr std::u16string_view kTagClose = u"}}";
// A tag's rate must lie within these bounds to be taken.
constexpr double kTagRateMax = 3;
constexpr double kTagRateMin = 0.1;

bool StartsWithLangTag(std::u16string_view text) {
  return text.size() >= kLangTag.size() && LowerCase(text.substr(0, kLangTag.size())) == kLangTag;
}

// Takes the next ";"-separated field off the front of `rest`; false when there is none.
bool NextField(std::u16string_view& rest, bool& more, std::u16string_view& field) {
  if (!more) return false;
  size_t semicolon = rest.find(u';');
  field = rest.substr(0, semicolon);
  more = semicolon != std::u16string_view::npos;
  rest = more ? rest.substr(semicolon + 1) : std::u16string_view();
  return true;
}

}  // namespace

TPartSettings TPartSettings::FromSettings(const TSettings& run) {
  TPartSettings settings;
  settings.Language = run.LanguageCode;
  settings.Voice = run.VoiceName;
  settings.Rate = IsDefaultRate(run.SpeechRate) ? u"" : run.SpeechRate;
  settings.Emotion = run.EmotionName;
  settings.Volume = run.VolumeDelta;
  return settings;
}

TTextPart::TTextPart(std::u16string text, const TPartSettings& settings)
    : Language(settings.Language),
      Text(std::move(text)),
      Voice(settings.Voice),
      Rate(settings.Rate),
      Emotion(settings.Emotion),
      ChannelMode(settings.ChannelMode),
      Volume(settings.Volume) {
  if (!StartsWithLangTag(Text)) return;
  size_t close = Text.find(kTagClose);
  if (close != std::u16string::npos) ApplyLanguageSwitch(close);
}

TTextPart::TTextPart(std::u16string_view kind, std::u16string text, const TTextPart& source)
    : Language(kind),
      Text(std::move(text)),
      Voice(source.Voice),
      Rate(source.Rate),
      Emotion(source.Emotion),
      ChannelMode(source.ChannelMode),
      Volume(source.Volume) {}

TPartSettings TTextPart::Settings() const {
  return {Language, Voice, Rate, Emotion, ChannelMode, Volume};
}

// "{{lang=" language [";" voice [";" rate [";" volume [";" tone [";" channel]]]]] "}}", the "}}"
// at `close`. Each field is taken only when valid; the rest stays as the part began.
void TTextPart::ApplyLanguageSwitch(size_t close) {
  const std::u16string body =
      LowerCase(std::u16string_view(Text).substr(kLangTag.size(), close - kLangTag.size()));
  std::u16string_view rest(body);
  bool more = true;
  std::u16string_view field;
  NextField(rest, more, field);
  if (std::u16string code = LookupLanguage(field); !code.empty()) Language = code;
  if (NextField(rest, more, field) && FindVoice(field)) Voice = field;
  if (NextField(rest, more, field) && !field.empty() && RateInRange(field, kTagRateMax, kTagRateMin)) {
    ApplyRate(field);
  }
  if (NextField(rest, more, field)) Volume = ValidateVolume(field).value_or(0);
  // Tones in a switch are single letters; full words are not taken there.
  if (NextField(rest, more, field)) {
    if (std::u16string tone = ToneOfLetter(field); !tone.empty()) Emotion = std::move(tone);
  }
  if (more) {  // the channel takes the rest of the tag
    if (rest == u"l") ChannelMode = kChannelLeft;
    if (rest == u"r") ChannelMode = kChannelRight;
  }
  Text.erase(0, close + kTagClose.size());
}

// A default spelling of the rate changes a part only when its rate is not the default already.
void TTextPart::ApplyRate(std::u16string_view rate) {
  if (!Rate.empty() || !IsDefaultRate(rate)) Rate = rate;
}

}  // namespace sonacli
