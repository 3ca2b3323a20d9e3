#include "catalogue/voice_catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(VoiceCatalogue, TablesHoldTheServiceVoices) {
  EXPECT_EQ(LanguageTable().size(), 6u);
  ASSERT_EQ(VoiceTable().size(), 41u);
  int premium = 0;
  int v3Only = 0;
  for (const TVoice& voice : VoiceTable()) {
    premium += IsPremiumVoice(voice.Name) ? 1 : 0;
    v3Only += IsV3OnlyVoice(voice.Name) ? 1 : 0;
    // Every v3-only voice is premium.
    EXPECT_TRUE(!IsV3OnlyVoice(voice.Name) || IsPremiumVoice(voice.Name)) << ToUtf8(voice.Name);
  }
  EXPECT_EQ(premium, 28);
  EXPECT_EQ(v3Only, 16);
}

TEST(VoiceCatalogue, LookupLanguageTakesLowerCaseCodes) {
  EXPECT_EQ(LookupLanguage(u"ru-ru"), u"ru-RU");
  EXPECT_EQ(LookupLanguage(u"uz-uz"), u"uz-UZ");
  EXPECT_EQ(LookupLanguage(u"RU-RU"), u"");
  EXPECT_EQ(LookupLanguage(u"ru"), u"");
  EXPECT_EQ(LookupLanguage(u""), u"");
}

// Books name their language as they please: a bare language, another region, "_", upper case, a
// three-letter code. Each is the service's language of that primary language, or none.
TEST(VoiceCatalogue, LanguageOfTagFindsTheLanguageABookNames) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"en", u"en-US"},    {u"en-US", u"en-US"}, {u"EN_us", u"en-US"}, {u"en-GB", u"en-US"},
      {u"eng", u"en-US"},   {u"ru", u"ru-RU"},    {u"rus", u"ru-RU"},   {u"ru-UA", u"ru-RU"},
      {u"de-AT", u"de-DE"}, {u"ger", u"de-DE"},   {u"kk", u"kk-KZ"},    {u"uz-Latn-UZ", u"uz-UZ"},
      {u"tr", u"tr-TR"},    {u"fr", u""},         {u"uk", u""},         {u"e", u""},
      {u"", u""},           {u"-", u""},          {u"english", u""},
  };
  for (const auto& [tag, code] : cases) EXPECT_EQ(LanguageOfTag(tag), code) << ToUtf8(tag);
}

TEST(VoiceCatalogue, VoiceProperties) {
  struct Case {
    std::u16string_view name;
    bool found;
    bool premium;
    bool v3Only;
    std::u16string_view serviceName;
  };
  const Case cases[] = {
      {u"ermil", true, true, false, u"ermil"},         {u"ermil:old", true, false, false, u"ermil"},
      {u"jane", true, true, false, u"jane"},           {u"jane:old", true, false, false, u"jane"},
      {u"omazh:old", true, false, false, u"omazh"},    {u"amira", true, true, false, u"amira"},
      {u"saule", true, true, true, u"saule"},          {u"zhenya", true, false, false, u"zhenya"},
      {u"ermil:rc", false, false, false, u"ermil:rc"}, {u"naomi", false, false, false, u"naomi"},
      {u"Jane", false, false, false, u"Jane"},         {u"", false, false, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.name));
    EXPECT_EQ(FindVoice(c.name), c.found);
    EXPECT_EQ(IsPremiumVoice(c.name), c.premium);
    EXPECT_EQ(IsV3OnlyVoice(c.name), c.v3Only);
    EXPECT_EQ(ServiceVoiceName(c.name), c.serviceName);
  }
}

TEST(VoiceCatalogue, NormalizeEmotionAcceptsWordsAndLetters) {
  const std::u16string_view tones[][2] = {
      {u"n", u"neutral"},  {u"neutral", u"neutral"}, {u"g", u"good"},    {u"evil", u"evil"}, {u"e", u"evil"},
      {u"f", u"friendly"}, {u"s", u"strict"},        {u"w", u"whisper"}, {u"x", u""},        {u"", u""},
      {u"Whisper", u""},   {u"neutra", u""},
  };
  for (const auto& tone : tones) EXPECT_EQ(NormalizeEmotion(tone[0]), tone[1]) << ToUtf8(tone[0]);
}

TEST(VoiceCatalogue, MaxRequestLengthByKeyAndVoice) {
  EXPECT_EQ(MaxRequestLength(u"kirill", false), 246);
  EXPECT_EQ(MaxRequestLength(u"oksana", false), 4000);
  EXPECT_EQ(MaxRequestLength(u"amira", false), 4000);
  EXPECT_EQ(MaxRequestLength(u"oksana", true), 400);
  EXPECT_EQ(MaxRequestLength(u"kirill", true), 400);
}

TEST(VoiceCatalogue, EffectiveEmotionOnCloudV1) {
  const std::u16string_view cases[][3] = {
      {u"jane", u"good", u"good"},  {u"jane", u"evil", u"evil"},     {u"jane", u"whisper", u"neutral"},
      {u"jane", u"", u"neutral"},   {u"omazh", u"evil", u"evil"},    {u"omazh", u"good", u"neutral"},
      {u"alena", u"good", u"good"}, {u"zahar", u"evil", u"neutral"}, {u"ermil", u"good", u"good"},
      {u"filipp", u"good", u""},    {u"jane:old", u"good", u""},     {u"masha", u"good", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EffectiveEmotion(c[0], c[1]), c[2]) << ToUtf8(c[0]) << " " << ToUtf8(c[1]);
  }
}

TEST(VoiceCatalogue, LanguageParameters) {
  EXPECT_EQ(VoiceLanguage(u"john"), u"en-us");
  EXPECT_EQ(VoiceLanguage(u"lea"), u"de-de");
  EXPECT_EQ(VoiceLanguage(u"amira"), u"kk-kz");
  EXPECT_EQ(VoiceLanguage(u"madi"), u"kk-kz");
  EXPECT_EQ(VoiceLanguage(u"nigora"), u"uz-uz");
  EXPECT_EQ(VoiceLanguage(u"madi_ru"), u"ru-ru");
  EXPECT_EQ(VoiceLanguage(u"nick"), u"ru-ru");
  EXPECT_EQ(VoiceLanguage(u"zahar:old"), u"ru-ru");

  EXPECT_EQ(LegacyLanguage(u"de-DE"), u"en-US");
  EXPECT_EQ(LegacyLanguage(u"kk-KZ"), u"ru-RU");
  EXPECT_EQ(LegacyLanguage(u"uz-uz"), u"ru-RU");
  EXPECT_EQ(LegacyLanguage(u"tr-TR"), u"tr-TR");
  EXPECT_EQ(LegacyLanguage(u"en-US"), u"en-US");
}

TEST(VoiceCatalogue, VoiceForALanguageAskedForWithoutAVoice) {
  struct Case {
    std::u16string_view Code;
    bool LegacyKey;
    std::u16string_view Voice;
  };
  // The default voice stays for its own language; otherwise the key decides which voices serve.
  for (const Case& row :
       {Case{u"ru-RU", false, u"oksana"}, Case{u"ru-RU", true, u"oksana"}, Case{u"en-US", false, u"john"},
        Case{u"en-US", true, u"alyss"}, Case{u"de-DE", false, u"lea"}, Case{u"kk-KZ", false, u"amira"},
        Case{u"uz-UZ", false, u"nigora"},
        // No premium voice of the language: its first voice. No voice of the language that the
        // legacy interface serves: the default voice stays.
        Case{u"tr-TR", false, u"erkanyavas"}, Case{u"tr-TR", true, u"erkanyavas"},
        Case{u"de-DE", true, u"oksana"}}) {
    EXPECT_EQ(VoiceForLanguage(row.Code, u"oksana", row.LegacyKey), row.Voice)
        << ToUtf8(row.Code) << (row.LegacyKey ? " legacy" : " cloud");
  }
  EXPECT_EQ(VoiceForLanguage(u"en-US", u"alena", false), u"john");
}

}  // namespace
}  // namespace sonacli
