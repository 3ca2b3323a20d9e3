#include "common/unicode_text.h"
#include "common/trim.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(UnicodeText, RoundTripsMixedScriptsAndSurrogates) {
  const std::string utf8 = "Привет, world! 😀 中文";
  const std::u16string utf16 = ToUtf16(utf8);
  EXPECT_EQ(utf16, u"Привет, world! 😀 中文");
  EXPECT_EQ(ToUtf8(utf16), utf8);
}

TEST(UnicodeText, InvalidSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(ToUtf16("a\xff"
                    "b"),
            u"a\uFFFDb");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(UnicodeText, CaseMappingKeepsLength) {
  EXPECT_EQ(LowerCase(u"ÄBC Ёж İ"), u"äbc ёж i");
  EXPECT_EQ(UpperCase(u"straße"), u"STRAßE");  // one unit for one unit
}

TEST(UnicodeText, SplitsAtEveryLineBreakKind) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(SplitIntoLines(u"a\r\nb\rc\nd"), (Lines{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(SplitIntoLines(u"a\r\n"), (Lines{u"a"}));
  EXPECT_EQ(SplitIntoLines(u"a\n\nb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(SplitIntoLines(u""), Lines{});
  EXPECT_EQ(JoinLines({u"a", u"", u"b"}), u"a\r\n\r\nb");
}

TEST(Trim, RemovesControlCharactersAndSpacesOnly) {
  EXPECT_EQ(Trim(u"\t\r\n x y \x01"), u"x y");
  EXPECT_EQ(TrimLeft(u"  x "), u"x ");
  EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");  // no-break space is kept
  EXPECT_EQ(Trim(u"   "), u"");
}

}  // namespace
}  // namespace sonacli
