#include "text/text_parts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "settings/settings.h"
#include "testing/test_support.h"
#include "text/chapter_tag.h"

namespace sonacli {
namespace {

TPartSettings Defaults(std::u16string rate = u"") {
  return {u"ru-RU", u"alena", std::move(rate), u"neutral", u"MonoToBoth", 10};
}

// Every part as "language|text|voice|rate|tone|channel|volume".
std::vector<std::string> Fields(const TTextParts& parts) {
  std::vector<std::string> out;
  for (size_t k = 0; k < parts.Count(); ++k) {
    const TTextPart& p = parts.Part(k);
    out.push_back(ToUtf8(p.Language + u"|" + p.Text + u"|" + p.Voice + u"|" + p.Rate + u"|" + p.Emotion +
                         u"|" + p.ChannelMode + u"|") +
                  std::to_string(p.Volume));
  }
  return out;
}

std::vector<std::string> Parts(const std::string& text, std::u16string defaultRate = u"") {
  return Fields(TTextParts(ToUtf16(text), Defaults(std::move(defaultRate))));
}

struct PartsCase {
  const char* Text;
  std::vector<std::string> Expected;
};

const PartsCase kPartsCases[] = {
    {"Hello {{lang=en-us;john}}How are you?",
     {"ru-RU|Hello |alena||neutral|MonoToBoth|10", "en-US|How are you?|john||neutral|MonoToBoth|10"}},
    {"{{LANG=DE-DE;LEA;1.5;120;F;R}}Hallo", {"de-DE|Hallo|lea|1.5|friendly|MonoToRight|20"}},
    {"{{lang=xx-xx;nobody}}Text", {"ru-RU|Text|alena||neutral|MonoToBoth|10"}},
    {"{{lang=ru-ru;;;;w}}Тише", {"ru-RU|Тише|alena||whisper|MonoToBoth|0"}},
    {"{{lang=ru-ru;alena;good}}Да", {"ru-RU|Да|alena||neutral|MonoToBoth|10"}},
    {"{{lang=ru-ru;;;abc;evil;x}}Нет", {"ru-RU|Нет|alena||neutral|MonoToBoth|0"}},
    {"{{lang=ru-ru;;3.5;;e;l;r}}Нет", {"ru-RU|Нет|alena||evil|MonoToBoth|0"}},
    {"{{lang=en-us}}{{lang=de-de}}Hallo",
     {"en-US||alena||neutral|MonoToBoth|10", "de-DE|Hallo|alena||neutral|MonoToBoth|10"}},
    {"Line one\r\n{{lang=en-us}}Two\r\n",
     {"ru-RU|Line one\r\n|alena||neutral|MonoToBoth|10", "en-US|Two|alena||neutral|MonoToBoth|10"}},
    {"{{lang=en-us Hello", {"ru-RU|{{lang=en-us Hello|alena||neutral|MonoToBoth|10"}},
    {"Intro {{audio=bell.wav}} Next",
     {"ru-RU|Intro|alena||neutral|MonoToBoth|10", "audio|bell.wav|alena||neutral|MonoToBoth|10",
      "ru-RU|Next|alena||neutral|MonoToBoth|10"}},
    {"{{AUDIO= My File.WAV }}", {"audio| My File.WAV |alena||neutral|MonoToBoth|10"}},
    {"{{lang=en-us;john;;;;l}}Hi {{audio=x.wav}}{{audio=y.wav}}",
     {"en-US|Hi|john||neutral|MonoToLeft|0", "audio|x.wav|john||neutral|MonoToLeft|0",
      "audio|y.wav|john||neutral|MonoToLeft|0"}},
    {"Hi {{audio=x.wav",
     {"ru-RU|Hi|alena||neutral|MonoToBoth|10", "ru-RU|{{audio=x.wav|alena||neutral|MonoToBoth|10"}},
    {"A.{{pause=500}}\r\nB.",
     {"ru-RU|A.|alena||neutral|MonoToBoth|10", "pause_para|500|alena||neutral|MonoToBoth|10",
      "ru-RU|B.|alena||neutral|MonoToBoth|10"}},
    {"A.{{Pause= 500 }} B.",
     {"ru-RU|A.|alena||neutral|MonoToBoth|10", "pause|500|alena||neutral|MonoToBoth|10",
      "ru-RU|B.|alena||neutral|MonoToBoth|10"}},
    {"A {{pause=abc}} B {{pause=0}} C {{pause=-5}}",
     {"ru-RU|A|alena||neutral|MonoToBoth|10", "ru-RU|B|alena||neutral|MonoToBoth|10",
      "ru-RU|C|alena||neutral|MonoToBoth|10"}},
    {"{{pause=300}}", {"pause|300|alena||neutral|MonoToBoth|10"}},
    // The file name of an audio part is never read as a tag.
    {"{{audio={{pause=5}}", {"audio|{{pause=5|alena||neutral|MonoToBoth|10"}},
    {"   ", {}},
    // Chapter tags: any case, the title as one trimmed line, next to the other tags.
    {"{{chapter=One}}Text",
     {"chapter|One|alena||neutral|MonoToBoth|10", "ru-RU|Text|alena||neutral|MonoToBoth|10"}},
    {"End.{{CHAPTER=  Глава\r\nвторая \t }}Начало",
     {"ru-RU|End.|alena||neutral|MonoToBoth|10", "chapter|Глава вторая|alena||neutral|MonoToBoth|10",
      "ru-RU|Начало|alena||neutral|MonoToBoth|10"}},
    {"{{Chapter=}}{{chapter=  }}A",
     {"chapter||alena||neutral|MonoToBoth|10", "chapter||alena||neutral|MonoToBoth|10",
      "ru-RU|A|alena||neutral|MonoToBoth|10"}},
    {"{{chapter=\"Quoted\" 'title'}}{{pause=200}}{{audio=a.wav}}A",
     {"chapter|\"Quoted\" 'title'|alena||neutral|MonoToBoth|10", "pause|200|alena||neutral|MonoToBoth|10",
      "audio|a.wav|alena||neutral|MonoToBoth|10", "ru-RU|A|alena||neutral|MonoToBoth|10"}},
    {"{{chapter=T}}{{lang=en-us;john}}Hi",
     {"chapter|T|alena||neutral|MonoToBoth|10", "en-US|Hi|john||neutral|MonoToBoth|10"}},
    {"{{lang=en-us;john}}Hi {{chapter=T}}Ho",
     {"en-US|Hi|john||neutral|MonoToBoth|10", "chapter|T|john||neutral|MonoToBoth|10",
      "en-US|Ho|john||neutral|MonoToBoth|10"}},
    // A pause before a chapter tag on the next line still ends its paragraph.
    {"A.{{pause=500}}\r\n{{chapter=T}}B.",
     {"ru-RU|A.|alena||neutral|MonoToBoth|10", "pause_para|500|alena||neutral|MonoToBoth|10",
      "chapter|T|alena||neutral|MonoToBoth|10", "ru-RU|B.|alena||neutral|MonoToBoth|10"}},
    // An unclosed tag is spoken, as an unclosed audio tag is; a closed tag inside it still counts.
    {"{{chapter=a{{pause=5}}b",
     {"ru-RU|{{chapter=a|alena||neutral|MonoToBoth|10", "pause|5|alena||neutral|MonoToBoth|10",
      "ru-RU|b|alena||neutral|MonoToBoth|10"}},
    {"Hi {{chapter=T",
     {"ru-RU|Hi|alena||neutral|MonoToBoth|10", "ru-RU|{{chapter=T|alena||neutral|MonoToBoth|10"}},
    {"{{chapter=T}}", {"chapter|T|alena||neutral|MonoToBoth|10"}},
};

TEST(TextParts, TagsMakePartsWithAllTheirFields) {
  for (const PartsCase& c : kPartsCases) EXPECT_EQ(Parts(c.Text), c.Expected) << c.Text;
}

// The titles the list-file and book readers make come back whole from the parts, whatever they hold.
TEST(TextParts, ChapterTagsGiveBackTheTitlesTheyWereMadeFor) {
  const std::u16string longTitle(1000, u'Ж');
  const struct {
    std::u16string Title;
    std::u16string Expected;
  } rows[] = {
      {u"Глава 1. «Начало»", u"Глава 1. «Начало»"},
      {u"第一章 \"引号\" 'x'", u"第一章 \"引号\" 'x'"},
      {u"Two\r\nlines", u"Two lines"},
      {u"a}}b{{pause=5}}", u"a} }b{ {pause=5} }"},
      {u"}", u"}"},
      {longTitle, longTitle},
      {u"😀 emoji", u"😀 emoji"},
  };
  for (const auto& row : rows) {
    const TTextParts parts(ChapterTag(row.Title) + u"Text", Defaults());
    ASSERT_EQ(parts.Count(), 2u) << ToUtf8(row.Title);
    EXPECT_EQ(parts.Part(0).Language, kChapterPart);
    EXPECT_EQ(parts.Part(0).Text, row.Expected);
    EXPECT_EQ(parts.Part(1).Text, u"Text");
  }
}

// Ten thousand chapters in one text are read in one pass.
TEST(TextParts, ManyChapterTags) {
  std::u16string text;
  for (int i = 0; i < 10000; ++i) text += ChapterTag(u"Chapter " + ToUtf16(std::to_string(i))) + u"Line.\r\n";
  const TTextParts parts(text, Defaults());
  ASSERT_EQ(parts.Count(), 20000u);
  EXPECT_EQ(parts.Part(19998).Text, u"Chapter 9999");
  EXPECT_EQ(parts.Part(19999).Text, u"Line.");
}

TEST(TextParts, ATagRateOfOneChangesOnlyANonDefaultRate) {
  EXPECT_EQ(Parts("{{lang=ru-ru;;1.0}}a"),
            (std::vector<std::string>{"ru-RU|a|alena||neutral|MonoToBoth|10"}));
  EXPECT_EQ(Parts("{{lang=ru-ru;;1.50}}a"),
            (std::vector<std::string>{"ru-RU|a|alena|1.50|neutral|MonoToBoth|10"}));
  EXPECT_EQ(Parts("{{lang=ru-ru;;1.0}}a", u"2"),
            (std::vector<std::string>{"ru-RU|a|alena|1.0|neutral|MonoToBoth|10"}));
  EXPECT_EQ(Parts("{{lang=ru-ru}}a", u"2"),
            (std::vector<std::string>{"ru-RU|a|alena|2|neutral|MonoToBoth|10"}));
}

TEST(TextParts, StartsFromTheRunSettings) {
  TSettings settings;
  settings.LanguageCode = u"en-US";
  settings.VoiceName = u"john";
  settings.EmotionName = u"good";
  settings.VolumeDelta = -30;
  settings.SpeechRate = u"1.0";
  EXPECT_EQ(Fields(TTextParts(u"Hi", TPartSettings::FromSettings(settings))),
            (std::vector<std::string>{"en-US|Hi|john||good|MonoToBoth|-30"}));
  settings.SpeechRate = u"1.25";
  TTextParts parts(u"Hi", TPartSettings::FromSettings(settings));
  EXPECT_EQ(Fields(parts), (std::vector<std::string>{"en-US|Hi|john|1.25|good|MonoToBoth|-30"}));
  parts.Clear();
  EXPECT_EQ(parts.Count(), 0u);
}

TEST(TextParts, AudioInsertMustExistAndBeWavOrMp3) {
  testing::ScopedTempDir dir;
  testing::WriteFile(dir.File("x.MP3"), "data");
  testing::WriteFile(dir.File("x.wav"), "data");
  testing::WriteFile(dir.File("x.ogg"), "data");
  std::filesystem::create_directory(dir.Path() / "folder.wav");
  EXPECT_FALSE(IsAudioInsertInvalid(ToUtf16(dir.File("x.MP3"))));
  EXPECT_FALSE(IsAudioInsertInvalid(ToUtf16(dir.File("x.wav"))));
  EXPECT_TRUE(IsAudioInsertInvalid(ToUtf16(dir.File("x.ogg"))));
  EXPECT_TRUE(IsAudioInsertInvalid(ToUtf16(dir.File("y.wav"))));
  EXPECT_TRUE(IsAudioInsertInvalid(ToUtf16(dir.File("folder.wav"))));
  EXPECT_TRUE(IsAudioInsertInvalid(u""));
}

// The names of the sound files a text inserts are those its parts insert, found without cutting the
// text into parts.
TEST(TextParts, AudioInsertNamesAreThoseOfTheParts) {
  const std::vector<std::u16string> lines = {
      u"No tag here.",
      u"{{AUDIO=a b.wav}} and {{audio=c.mp3}}{{audio= spaced.wav }}",
      u"{{pause=5}}{{audio=}}{{lang=en-US}}{{Audio=d.wav}} end",
      u"{{audio=unclosed.wav",
      u"{{ audio=not a tag.wav}}",
  };
  std::vector<std::u16string> fromParts;
  for (const std::u16string& line : lines) {
    const TTextParts parts(line, Defaults());
    for (size_t k = 0; k < parts.Count(); ++k) {
      if (parts.Part(k).Language == kAudioPart) fromParts.push_back(parts.Part(k).Text);
    }
  }
  EXPECT_EQ(fromParts, (std::vector<std::u16string>{u"a b.wav", u"c.mp3", u" spaced.wav ", u"", u"d.wav"}));
  EXPECT_EQ(AudioInsertNames(lines), fromParts);
}

}  // namespace
}  // namespace sonacli
