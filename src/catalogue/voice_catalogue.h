// The fixed knowledge of the speech service: its languages, voices and emotional tones, the
// parameters each interface expects and the largest text one request may carry. Constant tables
// and pure functions; every name comparison is exact and case-sensitive (callers lower-case the
// user's values first).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonacli {

struct TLanguage {
  std::u16string_view Code;  // "ru-RU"
  std::u16string_view Name;  // "Russian"
};

struct TVoice {
  std::u16string_view Name;             // as the user types it, lower case
  std::u16string_view Sex;              // "female" or "male"
  std::u16string_view LanguageName;     // descriptive only
  std::u16string_view PremiumLanguage;  // language code of a premium voice; empty for a standard one
  bool V3Only;                          // served by the cloud v3 interface alone
};

// The six languages, in listing and lookup order.
std::span<const TLanguage> LanguageTable();
// The 41 voices, in listing order.
std::span<const TVoice> VoiceTable();

// The Code of the first language whose lower-cased code equals the text ("ru-ru" gives "ru-RU");
// empty when there is none.
std::u16string LookupLanguage(std::u16string_view text);
// The Code of the language a language tag names, as books write them ("en", "en-GB", "EN_us",
// "rus"): the language of that code, in any case and with "_" for "-"; else the first language of
// the same primary language ("en-GB" gives "en-US"), the three-letter codes of ISO 639-2 included.
// Empty when the service speaks no such language.
std::u16string LanguageOfTag(std::u16string_view tag);
// True when the name is a voice of the table (":old" names included).
bool FindVoice(std::u16string_view name);
// The full tone for a tone word or its one-letter code ("w" gives "whisper"); empty when unknown.
std::u16string NormalizeEmotion(std::u16string_view text);
// The tone of a one-letter code ("n", "g", "e", "f", "s", "w"); empty for anything else.
std::u16string ToneOfLetter(std::u16string_view letter);

// The voice for a language asked for without a voice: `defaultVoice` when it is a voice of that
// language. Else, with a cloud key, the first premium voice of the language (its requests carry
// the language), or the language's first voice when it has none; with a legacy key the
// language's first standard voice, the only kind that interface serves. `defaultVoice` when no
// voice fits. `code` is a Code of the language table ("en-US" gives "john" with a cloud key,
// "alyss" with a legacy key).
std::u16string VoiceForLanguage(std::u16string_view code, std::u16string_view defaultVoice, bool legacyKey);

// One of the 28 premium voices; ":old" names are standard voices.
bool IsPremiumVoice(std::u16string_view name);
// One of the 16 voices that only the cloud v3 interface serves.
bool IsV3OnlyVoice(std::u16string_view name);
// The name the service knows: a ":old" voice without its suffix, any other name unchanged.
std::u16string ServiceVoiceName(std::u16string_view name);

// The largest number of characters one request may carry for the voice: 400 with a legacy key,
// else 246 for a v3-only voice and 4000 for the others.
int32_t MaxRequestLength(std::u16string_view voice, bool legacyKey);
// The tone the cloud v1 interface gets for this voice: the tone itself when the voice accepts
// it, "neutral" for a tone the voice does not accept, empty (send no tone) for voices without
// tones.
std::u16string EffectiveEmotion(std::u16string_view voice, std::u16string_view tone);
// The cloud v1 language parameter, chosen by voice, lower case ("lea" gives "de-de").
std::u16string VoiceLanguage(std::u16string_view voice);
// The legacy interface's language parameter for a part's language code (any case):
// German goes as "en-US", Kazakh and Uzbek as "ru-RU", anything else unchanged.
std::u16string LegacyLanguage(std::u16string_view code);

}  // namespace sonacli
