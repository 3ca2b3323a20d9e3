#include "catalogue/value_list.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sonacli {
namespace {

constexpr char kExpectedListing[] =
    "* Languages *\n"
    "English: en-US\nGerman: de-DE\nKazakh: kk-KZ\nRussian: ru-RU\nTurkish: tr-TR\nUzbek: uz-UZ\n"
    "\n"
    "* Female Voices *\n"
    "alena (Russian)\nalyss (English)\namira (Kazakh)\ndasha (Russian)\njane:old (Russian)\n"
    "jane (Russian)\njulia (Russian)\nlea (German)\nlera (Russian)\nmarina (Russian)\nmasha (Russian)\n"
    "nastya (Russian)\nnigora (Uzbek)\noksana (Russian)\nomazh:old (Russian)\nomazh (Russian)\n"
    "sasha (Russian)\nsaule (Kazakh)\nsaule_ru (Russian)\nyulduz (Uzbek)\nyulduz_ru (Russian)\n"
    "zamira (Uzbek)\nzamira_ru (Russian)\nzhanar (Kazakh)\nzhanar_ru (Russian)\n"
    "\n"
    "* Male Voices *\n"
    "alexander (Russian)\nanton (Russian)\nerkanyavas (Turkish)\nermil:old (Russian)\nermil (Russian)\n"
    "filipp (Russian)\njohn (English)\nkirill (Russian)\nkostya (Russian)\nmadi (Kazakh)\n"
    "madi_ru (Russian)\nnick (English)\nsilaerkan (Turkish)\nzahar:old (Russian)\nzahar (Russian)\n"
    "zhenya (Russian)\n"
    "\n"
    "* Premium Voices *\n"
    "alena (ru-RU)\nalexander (ru-RU)\namira (kk-KZ)\nanton (ru-RU)\ndasha (ru-RU)\nermil (ru-RU)\n"
    "filipp (ru-RU)\njane (ru-RU)\njohn (en-US)\njulia (ru-RU)\nkirill (ru-RU)\nlea (de-DE)\n"
    "lera (ru-RU)\nmadi (kk-KZ)\nmadi_ru (ru-RU)\nmarina (ru-RU)\nmasha (ru-RU)\nnigora (uz-UZ)\n"
    "omazh (ru-RU)\nsaule (kk-KZ)\nsaule_ru (ru-RU)\nyulduz (uz-UZ)\nyulduz_ru (ru-RU)\n"
    "zahar (ru-RU)\nzamira (uz-UZ)\nzamira_ru (ru-RU)\nzhanar (kk-KZ)\nzhanar_ru (ru-RU)\n"
    "\n"
    "* Speech Rate *\n"
    "From 0.1 to 3.0 (1.0 = default)\n"
    "\n"
    "* Speech Volume *\n"
    "From 0 to 200 (100 = default)\n"
    "\n"
    "* Emotional Tones (Roles) *\n"
    "neutral\ngood\nevil\n"
    "\n"
    "* Emotional Tones for Premium Voices *\n"
    "alena - neutral, good\n"
    "alexander - neutral, good\n"
    "anton - neutral, good\n"
    "ermil:rc - neutral, good\n"
    "jane:rc - neutral, good, evil\n"
    "julia - neutral, strict\n"
    "kirill - neutral, good, strict\n"
    "lera - neutral, friendly\n"
    "marina - neutral, friendly, whisper\n"
    "masha - neutral, good, friendly, strict\n"
    "omazh:rc - neutral, evil\n"
    "zahar:rc - neutral, good\n";

TEST(ValueList, PrintsTheListingExactly) {
  std::ostringstream out;
  PrintValueList(out);
  EXPECT_EQ(out.str(), kExpectedListing);
}

}  // namespace
}  // namespace sonacli
