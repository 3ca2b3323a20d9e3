#include "common/char_classes.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(CharClasses, WordLetterFollowsGeneralCategories) {
  struct Case {
    char16_t c;
    bool letter;
    bool wordChar;
    bool letterOrDigit;
  };
  const Case cases[] = {
      {u'a', true, true, true},      {u'Z', true, true, true},      {u'Я', true, true, true},
      {u'中', true, true, true},     {0x02B0, true, true, true},   // Lm
      {0x01C5, true, true, true},                                  // Lt
      {0x0301, true, true, false},                                 // Mn
      {0x0903, true, true, false},                                 // Mc
      {0x200D, true, true, false},                                 // zero-width joiner
      {u'7', false, true, true},     {0x0663, false, true, true},  // Arabic-Indic 3
      {u' ', false, false, false},   {u'-', false, false, false},   {u'.', false, false, false},
      {u'_', false, false, false},   {0x00B2, false, false, false},  // No
      {0x2160, false, false, false},                                 // Nl
      {0xD83D, false, false, false},                                 // lead surrogate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WordLetter(c.c), c.letter) << std::hex << int(c.c);
    EXPECT_EQ(WordChar(c.c), c.wordChar) << std::hex << int(c.c);
    EXPECT_EQ(LetterOrDigit(c.c), c.letterOrDigit) << std::hex << int(c.c);
  }
}

TEST(CharClasses, PunctuationOfOtherScripts) {
  EXPECT_TRUE(OtherTerminators(0x3002));
  EXPECT_TRUE(OtherTerminators(0x061F));
  EXPECT_FALSE(OtherTerminators(u'.'));
  EXPECT_TRUE(OtherCommas(0x060C));
  EXPECT_FALSE(OtherCommas(u','));
  EXPECT_TRUE(OtherColons(0xFF1A));
  EXPECT_TRUE(OtherSemicolons(0x061B));
  EXPECT_FALSE(OtherSemicolons(u';'));
}

}  // namespace
}  // namespace sonacli
