#include "catalogue/value_list.h"

#include <iostream>
#include <string_view>

#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"

namespace sonacli {

namespace {

// The fixed lines of the sections after the voices; "" separates sections. They name the
// service's own tone variants (":rc") and are printed as they stand.
constexpr std::u16string_view kFixedSections[] = {
    u"* Speech Rate *",
    u"From 0.1 to 3.0 (1.0 = default)",
    u"",
    u"* Speech Volume *",
    u"From 0 to 200 (100 = default)",
    u"",
    u"* Emotional Tones (Roles) *",
    u"neutral",
    u"good",
    u"evil",
    u"",
    u"* Emotional Tones for Premium Voices *",
    u"alena - neutral, good",
    u"alexander - neutral, good",
    u"anton - neutral, good",
    u"ermil:rc - neutral, good",
    u"jane:rc - neutral, good, evil",
    u"julia - neutral, strict",
    u"kirill - neutral, good, strict",
    u"lera - neutral, friendly",
    u"marina - neutral, friendly, whisper",
    u"masha - neutral, good, friendly, strict",
    u"omazh:rc - neutral, evil",
    u"zahar:rc - neutral, good",
};

// One line per voice of that sex with the language it speaks: "alena (Russian)".
void AddVoicesOfSex(std::vector<std::u16string>& lines, std::u16string_view header, std::u16string_view sex) {
  lines.emplace_back(header);
  for (const TVoice& voice : VoiceTable()) {
    if (voice.Sex == sex)
      lines.push_back(std::u16string(voice.Name) + u" (" + std::u16string(voice.LanguageName) + u")");
  }
  lines.emplace_back();
}

}  // namespace

std::vector<std::u16string> ValueListLines() {
  std::vector<std::u16string> lines;
  lines.emplace_back(u"* Languages *");
  for (const TLanguage& language : LanguageTable()) {
    lines.push_back(std::u16string(language.Name) + u": " + std::u16string(language.Code));
  }
  lines.emplace_back();
  AddVoicesOfSex(lines, u"* Female Voices *", u"female");
  AddVoicesOfSex(lines, u"* Male Voices *", u"male");
  lines.emplace_back(u"* Premium Voices *");
  for (const TVoice& voice : VoiceTable()) {
    if (!voice.PremiumLanguage.empty()) {
      lines.push_back(std::u16string(voice.Name) + u" (" + std::u16string(voice.PremiumLanguage) + u")");
    }
  }
  lines.emplace_back();
  lines.insert(lines.end(), std::begin(kFixedSections), std::end(kFixedSections));
  return lines;
}

void PrintValueList(std::ostream& out) {
  for (const std::u16string& line : ValueListLines()) out << ToUtf8(line) << '\n';
  out.flush();
}

void PrintValueList() {
  PrintValueList(std::cout);
}

}  // namespace sonacli
