#include "catalogue/speech_rate.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(SpeechRate, ValidateRateBounds) {
  struct Case {
    std::u16string_view text;
    bool valid;
  };
  const Case cases[] = {
      {u"0.1", true},     {u"3", true},      {u"3.0004", true}, {u"1.50", true}, {u"1.", true},
      {u".5", true},      {u"+2", true},     {u"3.0005", true},  // 3000.5 rounds to the even 3000
      {u"0.0985", false},                                        // 98.5 rounds to the even 98
      {u"0.09", false},   {u"3.001", false}, {u"-1", false},    {u"1,5", false}, {u"abc", false},
      {u"", false},       {u" 1", false},    {u"1 ", false},    {u"inf", false}, {u"nan", false},
      {u"+-1", false},    {u"1e0", true},    {u"1e400", false}, {u"１", false},  // full-width digit
  };
  for (const Case& c : cases) EXPECT_EQ(ValidateRate(c.text), c.valid) << ToUtf8(c.text);
}

TEST(SpeechRate, RateInRangeUsesTheGivenBounds) {
  EXPECT_TRUE(RateInRange(u"", 3, 0.1));
  EXPECT_TRUE(RateInRange(u"0.1", 3, 0.1));
  EXPECT_TRUE(RateInRange(u"3", 3, 0.1));
  EXPECT_FALSE(RateInRange(u"3.001", 3, 0.1));
  EXPECT_FALSE(RateInRange(u"x", 3, 0.1));
  EXPECT_TRUE(RateInRange(u"0.5", 1, 0.5));
  EXPECT_FALSE(RateInRange(u"1.2", 1, 0.5));
}

TEST(SpeechRate, DefaultRateSpellings) {
  for (std::u16string_view text : {u"1.00", u"1.0", u"1", u"1."})
    EXPECT_TRUE(IsDefaultRate(text)) << ToUtf8(text);
  for (std::u16string_view text : {u"1.000", u"", u"01", u"1,0", u" 1"}) {
    EXPECT_FALSE(IsDefaultRate(text)) << ToUtf8(text);
  }
}

TEST(SpeechRate, ValidateVolumeGivesTheDelta) {
  EXPECT_EQ(ValidateVolume(u"100"), 0);
  EXPECT_EQ(ValidateVolume(u"-20"), -120);
  EXPECT_EQ(ValidateVolume(u"500"), 400);
  EXPECT_EQ(ValidateVolume(u"+50"), -50);
  EXPECT_EQ(ValidateVolume(u"2147483647"), 2147483547);
  for (std::u16string_view text : {u"50%", u"", u"1.5", u"abc", u" 100", u"-2147483600", u"99999999999"}) {
    EXPECT_FALSE(ValidateVolume(text).has_value()) << ToUtf8(text);
  }
}

}  // namespace
}  // namespace sonacli
