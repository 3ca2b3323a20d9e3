#include "catalogue/voice_catalogue.h"

#include <algorithm>
#include <array>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

constexpr std::array<TLanguage, 6> kLanguages{{
    {u"en-US", u"English"},
    {u"de-DE", u"German"},
    {u"kk-KZ", u"Kazakh"},
    {u"ru-RU", u"Russian"},
    {u"tr-TR", u"Turkish"},
    {u"uz-UZ", u"Uzbek"},
}};

constexpr std::array<TVoice, 41> kVoices{{
    {u"alena", u"female", u"Russian", u"ru-RU", false},
    {u"alexander", u"male", u"Russian", u"ru-RU", true},
    {u"alyss", u"female", u"English", u"", false},
    {u"amira", u"female", u"Kazakh", u"kk-KZ", false},
    {u"anton", u"male", u"Russian", u"ru-RU", true},
    {u"dasha", u"female", u"Russian", u"ru-RU", true},
    {u"erkanyavas", u"male", u"Turkish", u"", false},
    {u"ermil:old", u"male", u"Russian", u"", false},
    {u"ermil", u"male", u"Russian", u"ru-RU", false},
    {u"filipp", u"male", u"Russian", u"ru-RU", false},
    {u"jane:old", u"female", u"Russian", u"", false},
    {u"jane", u"female", u"Russian", u"ru-RU", false},
    {u"john", u"male", u"English", u"en-US", false},
    {u"julia", u"female", u"Russian", u"ru-RU", true},
    {u"kirill", u"male", u"Russian", u"ru-RU", true},
    {u"kostya", u"male", u"Russian", u"", false},
    {u"lea", u"female", u"German", u"de-DE", false},
    {u"lera", u"female", u"Russian", u"ru-RU", true},
    {u"madi", u"male", u"Kazakh", u"kk-KZ", false},
    {u"madi_ru", u"male", u"Russian", u"ru-RU", false},
    {u"marina", u"female", u"Russian", u"ru-RU", true},
    {u"masha", u"female", u"Russian", u"ru-RU", true},
    {u"nastya", u"female", u"Russian", u"", false},
    {u"nick", u"male", u"English", u"", false},
    {u"nigora", u"female", u"Uzbek", u"uz-UZ", false},
    {u"oksana", u"female", u"Russian", u"", false},
    {u"omazh:old", u"female", u"Russian", u"", false},
    {u"omazh", u"female", u"Russian", u"ru-RU", false},
    {u"sasha", u"female", u"Russian", u"", false},
    {u"saule", u"female", u"Kazakh", u"kk-KZ", true},
    {u"saule_ru", u"female", u"Russian", u"ru-RU", true},
    {u"silaerkan", u"male", u"Turkish", u"", false},
    {u"yulduz", u"female", u"Uzbek", u"uz-UZ", true},
    {u"yulduz_ru", u"female", u"Russian", u"ru-RU", true},
    {u"zahar:old", u"male", u"Russian", u"", false},
    {u"zahar", u"male", u"Russian", u"ru-RU", false},
    {u"zamira", u"female", u"Uzbek", u"uz-UZ", true},
    {u"zamira_ru", u"female", u"Russian", u"ru-RU", true},
    {u"zhanar", u"female", u"Kazakh", u"kk-KZ", true},
    {u"zhanar_ru", u"female", u"Russian", u"ru-RU", true},
    {u"zhenya", u"male", u"Russian", u"", false},
}};

struct Tone {
  std::u16string_view Code;
  std::u16string_view Name;
};

constexpr std::array<Tone, 6> kTones{{
    {u"n", u"neutral"},
    {u"g", u"good"},
    {u"e", u"evil"},
    {u"f", u"friendly"},
    {u"s", u"strict"},
    {u"w", u"whisper"},
}};

// The voices of the cloud v1 interface that accept tones, and the tones they accept.
struct VoiceTones {
  std::u16string_view Voice;
  std::u16string_view Tone1;
  std::u16string_view Tone2;
};

constexpr std::array<VoiceTones, 5> kCloudV1Tones{{
    {u"jane", u"good", u"evil"},
    {u"alena", u"good", u""},
    {u"ermil", u"good", u""},
    {u"zahar", u"good", u""},
    {u"omazh", u"evil", u""},
}};

struct Mapping {
  std::u16string_view From;
  std::u16string_view To;
};

constexpr std::array<Mapping, 5> kCloudV1Languages{{
    {u"john", u"en-us"},
    {u"lea", u"de-de"},
    {u"amira", u"kk-kz"},
    {u"madi", u"kk-kz"},
    {u"nigora", u"uz-uz"},
}};

constexpr std::array<Mapping, 3> kLegacyLanguages{{
    {u"de-de", u"en-US"},
    {u"kk-kz", u"ru-RU"},
    {u"uz-uz", u"ru-RU"},
}};

constexpr std::u16string_view kOldSuffix = u":old";

const TVoice* VoiceByName(std::u16string_view name) {
  auto found = std::ranges::find(kVoices, name, &TVoice::Name);
  return found == kVoices.end() ? nullptr : &*found;
}

template <size_t N>
const Mapping* MappingFrom(const std::array<Mapping, N>& table, std::u16string_view from) {
  auto found = std::ranges::find(table, from, &Mapping::From);
  return found == table.end() ? nullptr : &*found;
}

}  // namespace

std::span<const TLanguage> LanguageTable() {
  return kLanguages;
}

std::span<const TVoice> VoiceTable() {
  return kVoices;
}

std::u16string LookupLanguage(std::u16string_view text) {
  for (const TLanguage& language : kLanguages) {
    if (LowerCase(language.Code) == text) return std::u16string(language.Code);
  }
  return {};
}

std::u16string LanguageOfTag(std::u16string_view tag) {
  std::u16string lowered = LowerCase(tag);
  std::replace(lowered.begin(), lowered.end(), u'_', u'-');
  if (std::u16string code = LookupLanguage(lowered); !code.empty()) return code;
  std::u16string primary = lowered.substr(0, lowered.find(u'-'));
  // The bibliographic and terminologic codes of ISO 639-2 that FB2 books write now and then.
  static constexpr Mapping kThreeLetterCodes[] = {{u"eng", u"en"}, {u"deu", u"de"}, {u"ger", u"de"},
                                                  {u"kaz", u"kk"}, {u"rus", u"ru"}, {u"tur", u"tr"},
                                                  {u"uzb", u"uz"}};
  for (const Mapping& mapping : kThreeLetterCodes) {
    if (primary == mapping.From) primary = mapping.To;
  }
  for (const TLanguage& language : kLanguages) {
    const std::u16string code = LowerCase(language.Code);
    if (!primary.empty() && code.substr(0, code.find(u'-')) == primary) return std::u16string(language.Code);
  }
  return {};
}

bool FindVoice(std::u16string_view name) {
  return VoiceByName(name) != nullptr;
}

std::u16string NormalizeEmotion(std::u16string_view text) {
  for (const Tone& tone : kTones) {
    if (text == tone.Code || text == tone.Name) return std::u16string(tone.Name);
  }
  return {};
}

std::u16string ToneOfLetter(std::u16string_view letter) {
  for (const Tone& tone : kTones) {
    if (letter == tone.Code) return std::u16string(tone.Name);
  }
  return {};
}

std::u16string VoiceForLanguage(std::u16string_view code, std::u16string_view defaultVoice, bool legacyKey) {
  auto language = std::ranges::find(kLanguages, code, &TLanguage::Code);
  if (language == kLanguages.end()) return std::u16string(defaultVoice);
  const TVoice* current = VoiceByName(defaultVoice);
  if (current && current->LanguageName == language->Name) return std::u16string(defaultVoice);
  auto spoken = [&](const TVoice& voice) { return voice.LanguageName == language->Name; };
  auto end = kVoices.end();
  if (legacyKey) {
    // The legacy interface serves the standard voices only.
    auto found = std::ranges::find_if(
        kVoices, [&](const TVoice& v) { return spoken(v) && v.PremiumLanguage.empty(); });
    return std::u16string(found == end ? defaultVoice : found->Name);
  }
  // A premium voice's request carries its language; the cloud serves every other voice as well.
  auto found = std::ranges::find(kVoices, code, &TVoice::PremiumLanguage);
  if (found == end) found = std::ranges::find_if(kVoices, spoken);
  return std::u16string(found == end ? defaultVoice : found->Name);
}

bool IsPremiumVoice(std::u16string_view name) {
  const TVoice* voice = VoiceByName(name);
  return voice != nullptr && !voice->PremiumLanguage.empty();
}

bool IsV3OnlyVoice(std::u16string_view name) {
  const TVoice* voice = VoiceByName(name);
  return voice != nullptr && voice->V3Only;
}

std::u16string ServiceVoiceName(std::u16string_view name) {
  if (name.ends_with(kOldSuffix)) return std::u16string(name.substr(0, name.size() - kOldSuffix.size()));
  return std::u16string(name);
}

int32_t MaxRequestLength(std::u16string_view voice, bool legacyKey) {
  if (legacyKey) return 400;
  return IsV3OnlyVoice(voice) ? 246 : 4000;
}

std::u16string EffectiveEmotion(std::u16string_view voice, std::u16string_view tone) {
  auto found = std::ranges::find(kCloudV1Tones, voice, &VoiceTones::Voice);
  if (found == kCloudV1Tones.end()) return {};
  if (!tone.empty() && (tone == found->Tone1 || tone == found->Tone2)) return std::u16string(tone);
  return u"neutral";
}

std::u16string VoiceLanguage(std::u16string_view voice) {
  const Mapping* mapping = MappingFrom(kCloudV1Languages, voice);
  return std::u16string(mapping != nullptr ? mapping->To : u"ru-ru");
}

std::u16string LegacyLanguage(std::u16string_view code) {
  const Mapping* mapping = MappingFrom(kLegacyLanguages, LowerCase(code));
  return std::u16string(mapping != nullptr ? mapping->To : code);
}

}  // namespace sonacli
