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
    "alena\nalyss\namira\ndasha\njane:old\njane\njulia\nlea\nlera\nmarina\nmasha\nnastya\nnigora\n"
    "oksana\nomazh:old\nomazh\nsasha\nsaule\nsaule_ru\nyulduz\nyulduz_ru\nzamira\nzamira_ru\n"
    "zhanar\nzhanar_ru\n"
    "\n"
    "* Male Voices *\n"
    "alexander\nanton\nerkanyavas\nermil:old\nermil\nfilipp\njohn\nkirill\nkostya\nmadi\nmadi_ru\n"
    "nick\nsilaerkan\nzahar:old\nzahar\nzhenya\n"
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
